#include "split_job.h"
