#pragma once
// One file of a data folder: where it goes and how it is made. The generators of the folders
// add their jobs to a list; the runner spreads the list over the threads.
#include <functional>
#include <string>
#include <vector>

struct TDataJob {
  std::string Folder;  // "Textures", "SFrames", ...
  std::string Name;    // file name inside the folder
  // The name the pickers show for the file (thumb_titles.h); empty for a file no picker shows.
  std::string Title;
  // Writes the file at Path. Must depend on nothing but the job itself, so that the bytes are
  // the same whatever thread runs it and in whatever order.
  std::function<void(const std::string& Path)> Make;
};
using TDataJobs = std::vector<TDataJob>;

void AddTextureJobs(TDataJobs& Jobs);
void AddFrameJobs(TDataJobs& Jobs);
void AddMaskJobs(TDataJobs& Jobs);
void AddPatternJobs(TDataJobs& Jobs);
void AddDecorJobs(TDataJobs& Jobs, const std::string& ClipArtDir);
void AddCaptionJobs(TDataJobs& Jobs);
void AddCardJobs(TDataJobs& Jobs);
// Copies the greeting files from SourceDir.
void AddGreetingJobs(TDataJobs& Jobs, const std::string& SourceDir);

// Fails (std::runtime_error) when a folder that has titles lacks one for a file, holds a title
// a picker would not take, or gives two files the same title.
void CheckTitles(const TDataJobs& Jobs);
// Writes the titles file (thumb_titles.h) of every folder of OutDir whose jobs have titles.
void WriteTitleFiles(const TDataJobs& Jobs, const std::string& OutDir);

// A picture of every picture file of Dir, small and titled, in name order.
void MakeContactSheet(const std::string& Dir, const std::string& OutFile);
// A line of Cyrillic text in every face and style the lettering may use.
// Line is the height of one line in pixels.
void MakeFontSample(const std::string& OutFile, int Line);
// The frame tiles of Dir each made into a frame around a plain picture, on one sheet.
void MakeFrameSheet(const std::string& Dir, const std::string& OutFile);
