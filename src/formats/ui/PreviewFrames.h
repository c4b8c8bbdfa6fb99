#pragma once
// The arithmetic of the picture dialogs' preview: where a picture sits in the preview box, the
// display-option bits and the cross-fade from the picture shown before to the new one.
#include <QImage>
#include <QRect>

// Display-option bits of the picture dialogs (a set bit turns the option on).
enum : int {
    pdoNoPreview = 1,       // no preview
    pdoNoSmoothing = 2,     // no cross-fade
    pdoSizeInKB = 4,        // file size in kilobytes
    pdoTime28k = 8,         // download time at 28.8 kbit/s
    pdoTime56k = 16,        // download time at 56 kbit/s
    pdoRatioAsBpp = 32,     // compression ratio as bits per pixel
};

// The options after the user clicked the item of bit: the two download times exclude each other
// (setting one clears the other, clicking the checked one clears it); any other bit toggles.
int ToggleDisplayOption(int options, int bit);
// The options after choosing a unit item: "Bytes" clears pdoSizeInKB, "KBytes" sets it; the ratio
// items clear or set pdoRatioAsBpp.
int SetDisplayOption(int options, int bit, bool on);

// Where a picture of picW x picH is drawn in a box of boxW x boxH: centred at 1:1 when it fits,
// else scaled down by the smaller of the two scales (so it never overflows either side) and centred.
QRect PreviewRect(int picW, int picH, int boxW, int boxH);

// The fade step starts at this value (the old picture) and falls to 0 (the new picture).
constexpr int FadeStart = 100;
constexpr int FadeDecrement = 7;
constexpr int FadeIntervalMs = 30;
// The step after one timer tick: 0 at once without smoothing, else 7 less, never below 0.
int NextFadeStep(int step, bool smoothing);

// Per byte of two frames of the same size and format: (old x step + new x (100 - step)) / 100,
// rounded half to even; step 100 gives old, 0 gives new. out takes the size and format of next.
void BlendFrames(const QImage& old, const QImage& next, int step, QImage& out);
