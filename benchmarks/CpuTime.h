#pragma once

#include <sys/resource.h>

/** CPU time, user and system, in seconds: of the whole process for RUSAGE_SELF, of the
    calling thread for RUSAGE_THREAD. */
inline double cpuSeconds (int who)
{
    rusage usage {};
    getrusage (who, &usage);
    return (double) (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
         + (double) (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1.0e-6;
}
