#pragma once
// The rows the update service is asked about: one per product page, in the
// order of the product table, and one for the program itself ("ALL").

#include "device/product_table.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace talven::update {

struct UpdateProduct {
    uint32_t hexVersion;  // non-zero: versions are compared and shown in hexadecimal
    uint32_t rowType;     // the product kind; 0 for the program
    std::string_view modelCode;
    // Sent unchanged inside the form body, so it holds no '&', '=', '+',
    // '%' or space.
    std::string_view productName;
};

inline constexpr std::string_view kVendorWord = "VELKO";
inline constexpr std::string_view kApplicationModelCode = "ALL";

// Firmware versions are the devices' USB release numbers, which read as
// hexadecimal (0x0103 is release 1.03); the program's version is decimal.
inline constexpr std::array<UpdateProduct, kProductTable.size() + 1> kUpdateTable = {{
    {1, kind::Mouse, "M7351", "TALVEN-M7351"},
    {1, kind::Keyboard, "K7340", "TALVEN-K88"},
    {1, kind::MousePad, "P6627", "TALVEN-P6627"},
    {1, kind::Headset, "H6533", "TALVEN-H6533"},
    {1, kind::Keyboard, "K7440", "TALVEN-K7440"},
    {0, 0, kApplicationModelCode, "TALVEN-K88-Software"},
}};

inline constexpr std::size_t kApplicationRow = kUpdateTable.size() - 1;

// A device row asks about the product of the same page.
constexpr bool rowsFollowProductTable() {
    for (std::size_t i = 0; i < kProductTable.size(); ++i)
        if (kUpdateTable[i].rowType != kProductTable[i].kind) return false;
    return true;
}
static_assert(rowsFollowProductTable());

}  // namespace talven::update
