#pragma once
// Which item the device page's two tab layouts show for a function page:
// the function tab ("device_function_switch") and the key-function tab
// ("device_key_function_switch"). Pages 3, 5 and 7 open a panel of their
// own and leave the key tab where the user left it.

#include <optional>

namespace talven {

struct FunctionPageTabs {
    int functionItem = 0;
    std::optional<int> keyItem;  // empty: the key tab stays as it is

    friend constexpr bool operator==(const FunctionPageTabs&, const FunctionPageTabs&) = default;
};

constexpr FunctionPageTabs functionPageTabs(int page) {
    switch (page) {
        case 3:
        case 7: return {1, std::nullopt};
        case 5: return {2, std::nullopt};
        case 2:
        case 6: return {0, 1};
        case 4: return {0, 2};
        default: return {0, 0};
    }
}

}  // namespace talven
