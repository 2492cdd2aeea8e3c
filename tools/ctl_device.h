#pragma once
// Finding a supported device for the command-line tool and running channel
// operations on it.

#include "device/command_channel.h"
#include "device/hid_records.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace talven::ctl {

struct FoundInterface {
    int slot = -1;
    InterfaceEntry entry;
    std::string productName;  // the product row's kind name, or empty
};

// Every present interface the recognition table accepts, in slot order, as
// one scan pass of the application would bind them.
std::vector<FoundInterface> findSupportedInterfaces();

// Picks the command interface named by `selector`: a product name
// ("keyboard", "mousepad", ...), a slot number or an interface path; the
// first command interface when empty.
std::optional<FoundInterface> selectCommandInterface(const std::vector<FoundInterface>& found,
                                                     const std::string& selector,
                                                     std::string* error);

// The command interface of a device of `deviceKind` named by `selector` (as
// above), or the first one; `what` names the kind in the error.
std::optional<FoundInterface> findInterfaceOfKind(uint16_t deviceKind, const std::string& what,
                                                  const std::string& selector, std::string* error);

// The keyboard named by `selector` (as above), or the first keyboard.
std::optional<FoundInterface> findKeyboardInterface(const std::string& selector, std::string* error);

// Opens the interface as the application does (read, write, shared) and marks
// the channel connected; slow-link for wireless mice.
bool openChannel(CommandChannel& channel, const FoundInterface& target, bool trace,
                 std::string* error);

}  // namespace talven::ctl
