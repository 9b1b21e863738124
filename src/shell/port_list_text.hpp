// What korrimatic --list-ports prints on Linux: each port with the COM
// number it answers to, then the KORRIMATIC_COMn mappings in force, each
// marked when the device it names is not there.
#pragma once

#include <string>
#include <vector>

#include "serial/com_numbers.hpp"
#include "serial/port_list.hpp"

class Sink;

std::string port_list_text(const std::vector<PortEntry>& ports, const std::vector<ComMapping>& mappings);
void print_port_list(const std::vector<PortEntry>& ports, const std::vector<ComMapping>& mappings, Sink& out);
