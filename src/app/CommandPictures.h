#pragma once
// The main window's image list: one 16 x 16 picture per slot. The common commands take their
// pictures from the desktop's icon theme (or the theme installed with the program when the desktop
// has none); the rest are the program's own drawings in the resources (:/pictures/*.svg).
#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QString>
#include <span>

#include "workspace/StatusPanels.h"

constexpr int KImageCount = 111;

// Slots that hold a picture of no command; those of the image windows' status panels are named
// beside the panels (TStatusPicture).
enum TNumberedSlot : int
{
    nsProfile = 102,
    nsDefaultProfile = 106,
    nsAreaBase = 109,
    nsAreaSelected = 110,
};

struct TCommandPicture
{
    // Object name of the main window's action, or of a button that has none.
    const char* Name;
    // Icon names of the theme, tried in order, separated by blanks; empty: the own picture only.
    const char* Theme;
    // The own picture (:/pictures/<Own>.svg), when the theme has none of the names.
    const char* Own;
};

// The command pictures in slot order; the numbered slots are skipped when slots are handed out.
std::span<const TCommandPicture> CommandPictures();
bool IsNumberedSlot(int slot);

// Points the icon lookup at the installed theme when the desktop names none, and makes that theme
// the last resort of every lookup. Idempotent.
void PrepareIconTheme();

// The slot of a named command; -1 for a name the table does not hold.
int PictureSlot(const QString& name);
// The whole list, KImageCount slots of 16 x 16 device-independent pixels drawn for the pixel
// ratio; a slot nothing shows stays null.
QList<QPixmap> MakeImageList(qreal pixelRatio);

// The program's own icon (:/pictures/program.svg), which its windows and dialogs show.
QIcon ProgramIcon();
