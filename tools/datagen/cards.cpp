#include "data_job.h"
void AddCardJobs(TDataJobs&) {}
