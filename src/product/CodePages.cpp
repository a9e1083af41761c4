#include "product/CodePages.h"

#include <array>

namespace corvane::product {

namespace {

constexpr std::array<CodePageEntry, 29> kKrt310CodePages = {{
    {"Page PC437 - USA", 0},
    {"Code Page KataKana", 1},
    {"Code Page PC850 - Multilingual", 2},
    {"Code Page PC860 - Portuguese", 3},
    {"Code Page PC863 - Canadian French", 4},
    {"Code Page PC865 - Nordic", 5},
    {"Code Page WPC1252 - Latin1", 6},
    {"Code Page PC866 - Russian", 7},
    {"Code Page PC852 - Latin 2", 8},
    {"Code Page PC858 - Euro", 9},
    {"Code Page PC862 - Israel", 10},
    {"Code Page PC864 - Arabic", 11},
    {"Code Page Thai Character Code 42", 12},
    {"Code Page WPC1253 - Greek", 13},
    {"Code Page WPC1254 - Turkish", 14},
    {"Code Page WPC1257 - Baltic", 15},
    {"Code Page Farsi", 16},
    {"Code Page WPC1251 - Russian", 17},
    {"Code Page PC737 - Greek", 18},
    {"Code Page PC775 - Baltic", 19},
    {"Code Page Thai Character Code 14", 20},
    {"Code Page OldCode - Israel", 21},
    {"Code Page PC1255 - Israel", 22},
    {"Code Page Thai character code 11", 23},
    {"Code Page Thai character code 18", 24},
    {"Code Page PC857 - Turkish", 26},
    {"Code Page PC928 - Greek", 27},
    {"Code Page CASIO", 33},
    {"Code Page PC1258 - Vietnam", 30},
}};

constexpr std::array<CodePageEntry, 20> kKrt620CodePages = {{
    {"Page PC437 - USA", 0},
    {"Code Page PC850 - Multilingual", 2},
    {"Code Page PC860 - Portuguese", 3},
    {"Code Page PC863 - Canadian French", 4},
    {"Code Page PC865 - Nordic", 5},
    {"Code Page WPC1252 - Latin1", 16},
    {"Code Page PC866 - Cyrillic #2", 17},
    {"Code Page PC852 - Latin 2", 18},
    {"Code Page PC858 - Euro", 19},
    {"Code Page PC862 - Hebrew DOS code", 21},
    {"Code Page PC864 - Arabic", 22},
    {"Code Page Thai Character Code 42", 23},
    {"Code Page WPC1253 - Greek", 24},
    {"Code Page WPC1257 - Baltic", 26},
    {"Code Page Farsi", 27},
    {"Code Page PC737 - Greek", 29},
    {"Code Page Thai Character Code 14", 31},
    {"Code Page Thai character code 11", 34},
    {"Code Page Thai character code 18", 35},
    {"Code Page PC928 - Greek", 38},
}};

}  // namespace

std::span<const CodePageEntry> CodePages(PrinterModel family) {
    if (family == PrinterModel::Krt620) {
        return kKrt620CodePages;
    }
    return kKrt310CodePages;
}

}  // namespace corvane::product
