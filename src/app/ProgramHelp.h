#pragma once
// The program's help: short HTML pages built into the program (help/help.qrc), one for each topic,
// shown in the help window under the program's title.
#include <QString>

#include "common/HelpTopics.h"

class QWidget;
class THelpWindow;
struct THelpBook;

// The page of a topic ("qrc:/help/....html"); the contents for a topic without a page.
QString HelpPageFor(int topic);

// The pages and the title for the help window; the pages are ready to be read once it is asked for.
const THelpBook& ProgramHelpBook();

// Shows the topic in owner's help window (see ShowHelpTopic).
THelpWindow* ShowProgramHelp(QWidget* owner, int topic);
