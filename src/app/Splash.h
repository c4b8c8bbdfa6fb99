#pragma once
// The small window shown while the program starts (until the main window's first idle pass), and
// the start-up check of the screen's colour depth.
class QWidget;
class TSettingsStore;

// The splash, shown; nullptr when the value "DisplaySplash" is false.
QWidget* ShowSplash(TSettingsStore* settings);
// Warns once (until ticked away) when the screen shows 1 to 14 bits per pixel.
void CheckColorDepth(TSettingsStore* settings);
