#include <fstream>
#include <iterator>
#include <stdexcept>

#include "data_job.h"

void AddGreetingJobs(TDataJobs& Jobs, const std::string& SourceDir) {
  for (const char* Name :
       {"NewYear.txt", "Birthday.txt", "Valentine.txt", "Male.txt", "Female.txt", "All.txt"}) {
    const std::string Source = SourceDir + "/" + Name;
    Jobs.push_back({"BDG", Name, {}, [Source](const std::string& Path) {
                      std::ifstream In(Source, std::ios::binary);
                      if (!In)
                        throw std::runtime_error("cannot read " + Source);
                      const std::string Text((std::istreambuf_iterator<char>(In)),
                                             std::istreambuf_iterator<char>());
                      std::ofstream Out(Path, std::ios::binary | std::ios::trunc);
                      Out << Text;
                      if (!Out.flush())
                        throw std::runtime_error("cannot write " + Path);
                    }});
  }
}
