#pragma once

// The letter catalogue: one entry per capital letter, saying which button stands for it, where
// the button sits on the keypad, its place in the tab order and the lesson's two files.

#include <QString>
#include <array>

struct LetterEntry {
    char letter;            // the button's caption, A to Z
    const char* button;     // the button's control name
    int row;
    int column;
    int tabIndex;

    QString pictureFile() const { return QString(QChar(letter)) + QStringLiteral(".jpg"); }
    QString soundFile() const { return QString(QChar(letter).toLower()) + QStringLiteral(".wav"); }
};

// Button names do not follow the alphabet; this table is the only mapping.
inline constexpr std::array<LetterEntry, 26> kLetterCatalogue{{
    {'A', "Command8", 0, 0, 8},   {'B', "Command7", 0, 1, 7},   {'C', "Command6", 0, 2, 6},
    {'D', "Command5", 0, 3, 5},   {'E', "Command4", 0, 4, 4},   {'F', "Command3", 0, 5, 3},
    {'G', "Command2", 0, 6, 2},   {'H', "Command1", 0, 7, 1},   {'I', "Command17", 0, 8, 17},
    {'J', "Command16", 0, 9, 16}, {'K', "Command15", 0, 10, 15}, {'L', "Command9", 1, 0, 18},
    {'M', "Command18", 1, 1, 19}, {'N', "Command19", 1, 2, 20}, {'O', "Command20", 1, 3, 21},
    {'P', "Command21", 1, 4, 22}, {'Q', "Command22", 1, 5, 23}, {'R', "Command23", 1, 6, 24},
    {'S', "Command24", 1, 7, 25}, {'T', "Command25", 1, 8, 26}, {'U', "Command26", 1, 9, 27},
    {'V', "Command27", 1, 10, 28}, {'W', "Command28", 2, 0, 29}, {'X', "Command29", 2, 1, 30},
    {'Y', "Command30", 2, 2, 31}, {'Z', "Command31", 2, 3, 32},
}};

// The button's place within its frame, in twips.
inline constexpr int kLetterButtonWidth = 615;
inline constexpr int kLetterButtonHeight = 375;
constexpr int letterButtonLeft(const LetterEntry& entry) { return 120 + 720 * entry.column; }
constexpr int letterButtonTop(const LetterEntry& entry) { return 240 + 480 * entry.row; }
