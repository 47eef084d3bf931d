// The titles files of the data folders: the Russian names the pickers show for the files.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <stdexcept>
#include <utility>
#include <vector>

#include "data_job.h"
#include "thumb_titles.h"

void CheckTitles(const TDataJobs& Jobs) {
  std::set<std::string> Titled;
  for (const TDataJob& J : Jobs)
    if (!J.Title.empty())
      Titled.insert(J.Folder);
  std::map<std::string, std::set<std::string>> Seen;  // folder -> titles
  for (const TDataJob& J : Jobs) {
    if (!Titled.count(J.Folder))
      continue;
    const std::string Where = J.Folder + "/" + J.Name;
    if (!IsThumbTitle(J.Title))
      throw std::runtime_error(Where + ": no usable title \"" + J.Title + "\"");
    if (J.Name.find('=') != std::string::npos || J.Name == ThumbTitlesFile)
      throw std::runtime_error(Where + ": a name the titles file cannot hold");
    if (!Seen[J.Folder].insert(J.Title).second)
      throw std::runtime_error(Where + ": the title \"" + J.Title + "\" is taken");
  }
}

void WriteTitleFiles(const TDataJobs& Jobs, const std::string& OutDir) {
  std::map<std::string, std::vector<std::pair<std::string, std::string>>> Folders;
  for (const TDataJob& J : Jobs)
    if (!J.Title.empty())
      Folders[J.Folder].emplace_back(J.Name, J.Title);
  for (auto& [Folder, Entries] : Folders) {
    std::sort(Entries.begin(), Entries.end());
    const std::filesystem::path Path = std::filesystem::path(OutDir) / Folder / ThumbTitlesFile;
    std::ofstream Out(Path, std::ios::binary | std::ios::trunc);
    Out << FormatThumbTitles(Entries);
    if (!Out.flush())
      throw std::runtime_error(Path.string() + ": cannot be written");
  }
}
