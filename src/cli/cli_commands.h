#pragma once

#include <string>
#include <vector>

namespace geoframe::cli {

// geoframe-cli with its arguments (after the program's name): the exit status,
// 0 success, 1 when some input failed, 2 on bad usage.
int RunGeoframeCli(const std::vector<std::string>& args);

// Each subcommand takes the arguments after its name and returns the exit
// status as above.
int RunExif(const std::vector<std::string>& args);
int RunTrack(const std::vector<std::string>& args);
int RunMatch(const std::vector<std::string>& args);
int RunRun(const std::vector<std::string>& args);

}  // namespace geoframe::cli
