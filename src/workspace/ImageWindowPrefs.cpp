#include "workspace/ImageWindowPrefs.h"

TImageWindowPrefs& ImageWindowPrefs()
{
    static TImageWindowPrefs prefs;
    return prefs;
}
