#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace geoframe::cli {

// Each subcommand takes the arguments after its name and returns the exit
// status: 0 success, 1 when some input failed, 2 on bad usage.
int RunExif(const std::vector<std::string>& args);
int RunTrack(const std::vector<std::string>& args);
int RunMatch(const std::vector<std::string>& args);
int RunRun(const std::vector<std::string>& args);

}  // namespace geoframe::cli
