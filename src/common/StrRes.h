#pragma once
// The program's message texts and its settings key, in one place.

// Product name: the caption of the program's message boxes.
inline constexpr const char* SProductName = "Quillmark";
// The version shown in the caption and registered with the scanner, and the product family.
inline constexpr const char* SProductVersion = "4.5";
inline constexpr const char* SProductFamily = "Veltrane";

// The per-user settings key. The settings store is rooted at this key; its subkeys become groups.
inline constexpr const char* SSettingsKey = "Software\\Tarnwick\\QMK\\";
inline constexpr const char* SToolbarsSubKey = "Toolbars\\";
inline constexpr const char* SResamplingSubKey = "Resampling\\";

// Button words of the check-message box.
inline constexpr const char* SYes = "Yes";
inline constexpr const char* SCancel = "Cancel";
inline constexpr const char* SDontShowAgain = "  Don't show this message again";

// The file-actions menu.
inline constexpr const char* SCannotStartProgram = "Cannot start ";
inline constexpr const char* SCannotOpenFile = "Cannot open ";
// The second line when the desktop had no program for an address, or its program failed.
inline constexpr const char* SNoProgramCouldOpen = "No program on this system could open it.";

// Mail.
inline constexpr const char* SUnableToSendMail = "Unable to send mail";
inline constexpr const char* SCannotCreateMailTempFile = "Cannot create a temporary file to mail image";
inline constexpr const char* SMailNoteText = "This e-mail created by Quillmark, ";

// The maker's addresses.
inline constexpr const char* SMakerWebAddress = "https://www.example.com/quillmark/";
inline constexpr const char* SMakerWebDomain = "www.example.com";
inline constexpr const char* SMakerSupportAddress = "support@example.com";
inline constexpr const char* SMakerFeedbackAddress = "feedback@example.com";

// Image windows: loading, compressing and saving.
inline constexpr const char* SNotEnoughResources =
    "There are not enough free resources in the system to proceed the current operation. ";
inline constexpr const char* SCannotLoadImageFrom = "Cannot load an image from  ";
inline constexpr const char* SCannotSaveFile = "Cannot save file ";
inline constexpr const char* SParamsNotApplied =
    "Current compression parameters are not applied.\r\nSave the last resulting image ?";
inline constexpr const char* SUnexpectedError = "Unexpected Error. Please request tech support";
inline constexpr const char* SImageNotCached =
    "Cannot open an image: it is not cached or fully loaded. You can use the Windows clipboard to copy this "
    "image into Quillmark";

// Check-message boxes.
inline constexpr const char* SConfirmOverwrite =
    "The source image is about to be replaced by the compressed image. The size, quality, or other values of "
    "the original image may be lost. Would you like to overwrite the source image?";
inline constexpr const char* SConfirmBatchOverwrite =
    "Source and resulting file names are identical. This may cause: \r\n\r\n1     Source images will be "
    "replaced by processed images. The size, quality, or other values of original images may be lost"
    "\r\n2     The destination folder will contain processed images mixed amid source images\r\n\r\nWould "
    "you like to proceed?";
inline constexpr const char* SHelpOffer = "Learn more about Quillmark, or find out the solution. \n\nWould you "
                                          "like to see the list of the most frequently asked questions?";
inline constexpr const char* SColorDepthWarning =
    "Current graphics mode cannot display a great number of colors to view images properly.   We recommend "
    "you to change the 16 bit (Hi-Color) or 24(32) bit (True Color) graphics mode.";

// Scanner.
inline constexpr const char* STWAINNotInstalled = "No scanner support is available on this system.";
inline constexpr const char* SCannotWriteAcquiredImage = "Unable to write a temporary file for acquired image storing.";
inline constexpr const char* SUnableToAcquire = "Unable to acquire image";

// Resize dialog.
inline constexpr const char* SSizeTooSmall =
    "Size value is too small: the minimum value for the width or height is 8 pixels.";

// Batch jobs.
inline constexpr const char* SProfileNotSelected = "Compression profile is not selected";
inline constexpr const char* SCannotLoadFile = "Cannot load file ";
inline constexpr const char* SDestFolderNotSelected = "Destination folder is not selected";
inline constexpr const char* SNamesWillNotDiffer = "Resulting file names will not differ";
inline constexpr const char* STerminateBatch = "Terminate batch processing ?";
inline constexpr const char* SBatchErrorsSummary =
    "%d errors encountered during batch processing.\r\nSuccessfully processed %d image(s) of %d";
inline constexpr const char* SMinutes = "min";
inline constexpr const char* SSeconds = "sec";
// Stages of a batch job, by TBatchProcProgress::Stage.
inline constexpr const char* SBatchStageNames[5] = {"Compressing", "Decompressing", "Resampling", "Loading", "Saving"};

// Saving under a name other than the one chosen.
inline constexpr const char* SReplaceExistingFile = "%s already exists.\r\nDo you want to replace it?";
