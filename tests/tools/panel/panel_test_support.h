// What the panel tools' tests share: bus writes fed into the controller model, the
// driver's start-up sequence, the panel rows as text, and scratch files.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "hd44780_model.h"
#include "panel_view.h"

using panel::Hd44780Model;
using panel::PanelGeometry;
using panel::RamSelect;

// One bus write, or a string of data writes.
struct Op {
    enum Kind { Ins, Dat, Str } kind;
    uint8_t byte = 0;
    std::string text;
};
inline Op I(uint8_t b) { return {Op::Ins, b, {}}; }
inline Op D(uint8_t b) { return {Op::Dat, b, {}}; }
inline Op S(std::string text) { return {Op::Str, 0, std::move(text)}; }

inline void Feed(Hd44780Model& model, const std::vector<Op>& ops) {
    for (const Op& op : ops) {
        if (op.kind == Op::Ins) model.Instruction(op.byte);
        if (op.kind == Op::Dat) model.Data(op.byte);
        if (op.kind == Op::Str)
            for (const char c : op.text) model.Data(static_cast<uint8_t>(c));
    }
}

inline std::vector<Op> Then(std::vector<Op> first, const std::vector<Op>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

// The driver's start-up sequence: 8-bit, two lines, display off, clear, increment,
// display on with the cursor off.
const std::vector<Op> kStartUp = {I(0x30), I(0x30), I(0x30), I(0x30), I(0x3C), I(0x08), I(0x01), I(0x06), I(0x0C)};
// The same in one-line mode.
const std::vector<Op> kStartUpOneLine = {I(0x30), I(0x30), I(0x30), I(0x30), I(0x08), I(0x01), I(0x06), I(0x0C)};

// The panel rows as text; codes below 0x20 show as '?'.
inline std::vector<std::string> Rows(const Hd44780Model& model, PanelGeometry geometry) {
    std::vector<std::string> rows;
    for (const auto& codes : panel::VisibleCodes(model, geometry)) {
        std::string row;
        for (const uint8_t c : codes) row += c < 0x20 ? '?' : static_cast<char>(c);
        rows.push_back(row);
    }
    return rows;
}

constexpr PanelGeometry k16x2{16, 2};
constexpr PanelGeometry k20x4{20, 4};
constexpr PanelGeometry k16x4{16, 4};
constexpr PanelGeometry k8x1{8, 1};

inline void Instructions(Hd44780Model& model, std::initializer_list<uint8_t> bytes) {
    for (const uint8_t b : bytes) model.Instruction(b);
}

inline void Data(Hd44780Model& model, std::initializer_list<uint8_t> bytes) {
    for (const uint8_t b : bytes) model.Data(b);
}

inline void Text(Hd44780Model& model, const std::string& text) {
    for (const char c : text) model.Data(static_cast<uint8_t>(c));
}

// A model after the driver's start-up sequence: two lines, cleared, display on,
// cursor off.
inline Hd44780Model StartedModel() {
    Hd44780Model model;
    Feed(model, kStartUp);
    return model;
}

// A scratch file path, removed when the test ends.
struct TempPath {
    std::string path;
    explicit TempPath(const std::string& name)
        : path((std::filesystem::temp_directory_path() /
                ("panel_test_" + std::to_string(::getpid()) + "_" + name))
                   .string()) {}
    ~TempPath() { std::remove(path.c_str()); }
};

inline std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
