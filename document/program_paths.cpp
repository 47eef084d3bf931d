#include "program_paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace {

bool IsFolder(const std::string& Path) {
  struct stat St {};
  return stat(Path.c_str(), &St) == 0 && S_ISDIR(St.st_mode);
}

bool Exists(const std::string& Path) {
  struct stat St {};
  return stat(Path.c_str(), &St) == 0;
}

std::string Join(const std::string& Dir, const std::string& Name) {
  if (Dir.empty())
    return Name;
  return Dir.back() == '/' ? Dir + Name : Dir + "/" + Name;
}

std::string StripSlash(std::string Path) {
  while (Path.size() > 1 && Path.back() == '/') Path.pop_back();
  return Path;
}

// An XDG base folder: the variable when it holds an absolute path (relative ones are invalid
// and ignored), else HOME + Fallback.
std::string XdgBase(const TEnvLookup& Env, const char* Variable, const char* Fallback) {
  std::string Value = Env(Variable);
  if (!Value.empty() && Value.front() == '/')
    return StripSlash(Value);
  std::string Home = Env("HOME");
  if (Home.empty())
    Home = "/tmp";
  return Join(StripSlash(Home), Fallback);
}

bool HoldsData(const std::string& Dir) {
  static const char* const Names[] = {"Help.html", "Cards", "Textures", "SFrames", "Masks",
                                      "Patterns",  "Decor", "Captions", "BDG"};
  for (const char* Name : Names)
    if (Exists(Join(Dir, Name)))
      return true;
  return false;
}

}  // namespace

bool MakeFolders(const std::string& Dir) {
  if (Dir.empty())
    return false;
  if (IsFolder(Dir))
    return true;
  const std::string::size_type Slash = Dir.find_last_of('/');
  if (Slash != std::string::npos && Slash > 0 && !MakeFolders(Dir.substr(0, Slash)))
    return false;
  return mkdir(Dir.c_str(), 0700) == 0 || (errno == EEXIST && IsFolder(Dir));
}

TProgramPaths ResolveProgramPaths(const std::string& ExeDir, const TEnvLookup& Env,
                                  const TWritableCheck& IsWritable) {
  TProgramPaths Paths;
  const std::string Exe = StripSlash(ExeDir.empty() ? std::string(".") : ExeDir);

  Paths.DataDir = Exe;
  if (!HoldsData(Exe)) {
    const std::string Shared = Join(Exe, "../share/pelmora");
    if (IsFolder(Shared))
      Paths.DataDir = Shared;
  }

  Paths.SettingsDir = Exe;
  if (!IsWritable(Exe)) {
    const std::string Config = Join(XdgBase(Env, "XDG_CONFIG_HOME", ".config"), "pelmora");
    if (MakeFolders(Config))
      Paths.SettingsDir = Config;
  }

  Paths.RecoveryDir = Join(XdgBase(Env, "XDG_DATA_HOME", ".local/share"), "pelmora/recovery");
  return Paths;
}

TProgramPaths ResolveProgramPaths(const std::string& ExeDir) {
  return ResolveProgramPaths(
      ExeDir,
      [](const char* Name) {
        const char* Value = std::getenv(Name);
        return std::string(Value ? Value : "");
      },
      [](const std::string& Dir) { return access(Dir.c_str(), W_OK) == 0; });
}
