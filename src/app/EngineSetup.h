#pragma once
// Gives the image windows the codec's compression worker (TJPEGEngine). Called once at start-up.
void InstallCompressionEngine();
