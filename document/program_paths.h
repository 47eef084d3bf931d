#pragma once
// Where the program keeps its files. In the build tree everything lives next to the executable;
// an installed program finds its data folders in share/pelmora and, when its own folder cannot
// be written, keeps the settings files and the recent list under the user's configuration folder.
#include <functional>
#include <string>

struct TProgramPaths {
  std::string SettingsDir;  // "View.kvp", "CForm.kvp", "Dirs.lst"
  std::string DataDir;      // Cards, Textures, SFrames, Masks, ..., Help.html
  std::string RecoveryDir;  // autosaved copies of modified cards
};

// Looks up an environment variable; empty when unset.
using TEnvLookup = std::function<std::string(const char* Name)>;
// Whether the current user may create files in a folder.
using TWritableCheck = std::function<bool(const std::string& Dir)>;

// ExeDir is the executable's folder. The settings folder is ExeDir when it is writable, else
// $XDG_CONFIG_HOME/pelmora (default ~/.config/pelmora), created on demand. The data folder is
// ExeDir when it holds the help page or a data folder, else ../share/pelmora beside it when that
// exists. Recovery files go to $XDG_DATA_HOME/pelmora/recovery (default ~/.local/share/...),
// which is not created here. Paths carry no trailing slash.
TProgramPaths ResolveProgramPaths(const std::string& ExeDir, const TEnvLookup& Env,
                                  const TWritableCheck& IsWritable);
TProgramPaths ResolveProgramPaths(const std::string& ExeDir);

// Creates Dir and its missing parents with mode 0700 for new folders. False on failure.
bool MakeFolders(const std::string& Dir);
