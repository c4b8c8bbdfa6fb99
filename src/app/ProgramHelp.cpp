#include "app/ProgramHelp.h"

#include <QUrl>

#include "controls/HelpWindow.h"

// The pages are built into the library: their resource must be registered before the first use.
static void InitHelpResource()
{
    Q_INIT_RESOURCE(help);
}

static_assert(htContents == 0, "the help window's topic for a widget without one is the contents");

QString HelpPageFor(int topic)
{
    const char* page = "contents.html";
    switch (topic) {
    case htIndex:
        page = "index.html";
        break;
    case htToolbars:
        page = "toolbars.html";
        break;
    case htResolution:
        page = "resolution.html";
        break;
    case htComments:
        page = "comments.html";
        break;
    case htIntegrityMarks:
        page = "intmarks.html";
        break;
    case htPreferences:
        page = "preferences.html";
        break;
    case htProfiles:
        page = "profiles.html";
        break;
    case htPictureDialogs:
        page = "picturedialogs.html";
        break;
    case htBatchOptions:
        page = "batch.html";
        break;
    case htHelpOffer:
        page = "faq.html";
        break;
    case htCompressionLevels:
        page = "levels.html";
        break;
    case htHoldAndKeep:
        page = "holdkeep.html";
        break;
    case htEqualizer:
        page = "equalizer.html";
        break;
    case htPrefilters:
        page = "prefilters.html";
        break;
    case htSelectiveCompression:
        page = "selective.html";
        break;
    case htImageWindows:
        page = "imagewindows.html";
        break;
    case htStatusBars:
        page = "statusbars.html";
        break;
    default:
        break;
    }
    return QString("qrc:/help/") + page;
}

const THelpBook& ProgramHelpBook()
{
    static const THelpBook book = [] {
        InitHelpResource();
        THelpBook b;
        b.Title = "Quillmark Help";
        b.PageFor = [](int topic) { return QUrl(HelpPageFor(topic)); };
        b.Contents = QUrl(HelpPageFor(htContents));
        b.Index = QUrl(HelpPageFor(htIndex));
        return b;
    }();
    return book;
}

THelpWindow* ShowProgramHelp(QWidget* owner, int topic)
{
    return ShowHelpTopic(owner, ProgramHelpBook(), topic);
}
