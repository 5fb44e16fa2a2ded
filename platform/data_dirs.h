// The places the installed game reads its files from, found at run time so that an
// installed tree can be moved and a build tree works without any path baked in.
#pragma once

#include <string>

#include "elements/datafiles.h"

namespace quendar {

// The data directory beside the running program: <its directory>/../share/quendar as
// installed, which the build tree mirrors by a link to assets/. "" only when the program
// cannot tell where it is.
std::string InstalledDataDir();

// The game's data files: the current directory, $XDG_DATA_HOME/quendar, then the
// installed data directory. `list`, when not empty, is the word list the player named: a
// shipped list's name (default, elementary, joyo) or a file.
DataFiles GameDataFiles(const std::string& list);

}  // namespace quendar
