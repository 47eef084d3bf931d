#include "data_job.h"
void AddDecorJobs(TDataJobs&, const std::string&) {}
