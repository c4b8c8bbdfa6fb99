#pragma once
// The topic numbers of the program's help, asked for by its windows and dialogs; the program's help
// (app/ProgramHelp.h) has a page for each.

enum : int
{
    htContents = 0,
    htIndex = 1,
    htToolbars = 90,
    htResolution = 91,
    htComments = 92,
    htIntegrityMarks = 104,
    htPreferences = 135,
    htProfiles = 136,
    htPictureDialogs = 139,
    htBatchOptions = 140,
    htHelpOffer = 146,
    // The main controls: the parameter panels, the image windows and the status bars.
    htCompressionLevels = 150,
    htHoldAndKeep = 151,
    htEqualizer = 152,
    htPrefilters = 153,
    htSelectiveCompression = 154,
    htImageWindows = 155,
    htStatusBars = 156,
};
