#pragma once
// What the kernel counts for Unix processes, read from /proc through Wine's
// Z: drive, so nothing in the programs measured is changed for the measure.
#include <string>
#include <vector>

// A /proc file read whole (their sizes read as 0, so to the end).
std::string ReadProcFile(const std::wstring& path);

// The Unix processes whose command line holds the text and, when one is
// given, whose Unix environment holds the entry.
std::vector<unsigned> FindProcesses(const std::string& commandText, const std::string& environmentEntry = "");

// The Wine server of this program's prefix, and this program's own Unix
// process (Wine's /proc/self is the server's); empty when none is found.
std::vector<unsigned> FindWineServer();
std::vector<unsigned> FindThisProgram();

// User plus system time of a Unix process, all its threads, in seconds, in
// the kernel's steps of 10 ms; -1 once it is gone.
double CpuSeconds(unsigned pid);
double CpuSeconds(const std::vector<unsigned>& pids);

// The same to the nanosecond, summed over the threads that live now (a
// thread that ended takes its time with it); for measures of a few
// milliseconds a second.
double PreciseCpuSeconds(unsigned pid);
double PreciseCpuSeconds(const std::vector<unsigned>& pids);
