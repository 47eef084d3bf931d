#include "data_job.h"
void AddCaptionJobs(TDataJobs&) {}
