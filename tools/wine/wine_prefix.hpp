// The Wine prefixes korrimatic-wine runs the program in. wineboot builds one
// prefix, the base, once. Each run then takes a slot of its own: a prefix
// made from the base (its registry copied, its C: drive shared) with its own
// COM links and its own Wine server, held for the run by a lock. Several
// programs can so run at once, each with its own COMn, without waiting for
// one another; a slot that is free again is used by the next run, its server
// still up.
#pragma once

#include <filesystem>
#include <map>
#include <string>

// WINEPREFIX, else wine-prefix beside this launcher.
std::filesystem::path base_prefix();

// Builds the base on first use, one launcher at a time.
void prepare_base(const std::filesystem::path& base);

// A free slot, made when every slot is taken, its server started with its
// output thrown away: the server writes its object table into whatever
// output it inherited each time a pseudo-terminal's master closes. The slot
// stays held until this launcher ends.
std::filesystem::path take_slot(const std::filesystem::path& base);

// Makes the slot's dosdevices/comn the given devices (n -> device), and no
// other COM port.
void map_ports(const std::filesystem::path& slot, const std::map<int, std::string>& ports);

// Stops the servers of the base and of every slot.
void stop_servers(const std::filesystem::path& base);

[[noreturn]] void die(const std::string& message);
