#pragma once
// Until the compression worker of the codec is part of the program, image windows compress through
// this plain worker: one encode with the image's settings and the decode of the result, on a thread
// of its own, without progress reports. A stop request takes effect when the run has ended.
void InstallInterimCompressionWorker();
