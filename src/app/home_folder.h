// The per-user folder the window and the CLI work in when started with --home: the program
// keeps its files by bare names in the working directory, so a launcher from the desktop
// gives it a folder of its own, made ready on the first start.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "info/phone_probe.h"
#include "serial/port_settings.h"

namespace quorvex {

// $XDG_DATA_HOME/quorvex; ~/.local/share/quorvex where XDG_DATA_HOME is unset, empty or not
// an absolute path. xdgDataHome may be null.
std::string UserFolderPath(const char* xdgDataHome, const std::string& home);

// The installed data folder: share/quorvex beside the bin folder of the executable.
std::string InstalledDataDir(const std::string& executablePath);

// The settings a new folder's portcfg.ini gets: the first handset that answered, at its speed;
// else the first device present; else /dev/ttyACM0, where this family's handsets appear.
// The by-id name is taken where there is one: it survives replugging.
PortSettings SettingsForNewFolder(const std::vector<ProbeResult>& results);

struct UserFolderReport {
  std::vector<std::string> created;  // the names made, in the order made ("." the folder)
};

// Makes the folder ready: created where missing, the handset pictures (*.jpg) and the help
// text (info.txt) of dataDir copied in, an empty sms_archive.txt, and portcfg.ini from
// SettingsForNewFolder(probe()). Only what is missing is made; a file or folder there (a
// link too, even a dangling one) is never touched, and probe runs only when portcfg.ini is
// missing. A missing dataDir copies nothing. Raises EInOutError with the system's text.
UserFolderReport PrepareUserFolder(const std::string& dataDir, const std::string& folder,
                                   const std::function<std::vector<ProbeResult>()>& probe);

// PrepareUserFolder, then the working directory changed into the folder. Raises EInOutError.
UserFolderReport EnterUserFolder(const std::string& dataDir, const std::string& folder,
                                 const std::function<std::vector<ProbeResult>()>& probe);

// EnterUserFolder for this process: the data folder beside its executable, the folder its
// environment names (HOME, else the password database's home) and a probe of every serial
// device present.
UserFolderReport EnterOwnUserFolder();

}  // namespace quorvex
