// The properties of the selected picture and the system information dialog, with the number
// formatting they share.
#pragma once

#include <cstdint>
#include <string>

struct AppState;

// n with comma thousands separators ("1,234,567"); negative numbers get a leading "-".
std::string FormatThousands(int64_t n);
// A non-negative value rounded to `decimals` (1, 2 or 3; anything else counts as 1), the whole
// part with FormatThousands, then a point and exactly that many digits ("1,234.50").
std::string FormatDecimal(double value, int decimals);
// A byte count as megabytes with one decimal and "MB" ("31.5MB"); from 10,000 MB on as
// gigabytes ("23.5GB").
constexpr uint64_t kGigabyteFrom = 10000ull << 20;
std::string FormatMegabytes(uint64_t bytes);

// The memory and storage figures of the system information dialog: bytes for memory and
// store, kilobytes for the card (0 when there is none).
struct SystemFigures {
    uint64_t memoryTotal = 0;
    uint64_t memoryFree = 0;
    uint64_t storeTotal = 0;
    uint64_t storeFree = 0;
    uint64_t cardTotal = 0;
    uint64_t cardFree = 0;
};
SystemFigures ReadSystemFigures();
// The width of the free part of a bar `innerWidth` pixels wide; 0 when the total is 0.
int FreeBarWidth(int innerWidth, uint64_t freeAmount, uint64_t total);

// "Properties": beeps unless the entry under the cursor is a picture.
void PropertiesCommand(AppState* app);
// "System Info".
void SystemInfoCommand(AppState* app);
