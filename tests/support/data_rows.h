// Tables of the table-driven tests kept as data files: one row a line, its cells apart by " | ", each
// cell read with the escapes of Unescaped; blank lines and lines starting with "#" are skipped.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "support/escaped_text.h"

namespace testing_support {

// The rows of the file at `path`; a row with another number of cells than `cells` fails the test.
inline std::vector<std::vector<std::string>> ReadDataRows(const std::string& path, std::size_t cells) {
    std::ifstream file(path);
    EXPECT_TRUE(file) << path;
    std::vector<std::vector<std::string>> rows;
    for (std::string line; std::getline(file, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        std::vector<std::string> row;
        for (std::size_t start = 0, bar = 0; bar != std::string::npos; start = bar + 3) {
            bar = line.find(" | ", start);
            row.push_back(Unescaped(line.substr(start, bar == std::string::npos ? bar : bar - start)));
        }
        EXPECT_EQ(row.size(), cells) << path << ": " << line;
        if (row.size() == cells)
            rows.push_back(row);
    }
    EXPECT_FALSE(rows.empty()) << path;
    return rows;
}

}  // namespace testing_support
