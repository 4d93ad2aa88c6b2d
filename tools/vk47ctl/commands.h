#pragma once
// Subcommands of vk47ctl. Each takes the arguments after its name and
// returns the process exit status; messages go to stdout/stderr.

#include <string>
#include <vector>

namespace vk47::ctl {

using Args = std::vector<std::string>;

int Show(const Args& args);
int Demo(const Args& args);
int Send(const Args& args);
int Run(const Args& args);
int Ports(const Args& args);
int Port(const Args& args);

}  // namespace vk47::ctl
