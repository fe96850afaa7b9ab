#pragma once
// The text of a picture or sound recipe, read a line at a time. A line is a keyword and its
// words, split at blanks; a line ending in '\' goes on on the next line. A line whose first
// word starts with '#', and everything from a lone " # " on, is a comment, so "#RRGGBB" words
// stay colours. A word in double quotes keeps its blanks (\" and \\ inside). Numbers are read
// without regard to the locale. Every complaint names the recipe and the line:
// "FILE:LINE: reason".
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "VornelUtils/Status.h"

// Straight (not premultiplied) colour, 0..255 per channel.
struct RecipeColour {
    uint8_t r = 0, g = 0, b = 0, a = 255;
};

// A recipe held whole in memory: far larger than any recipe, small enough to refuse a wrong file.
constexpr size_t kRecipeTextLimit = 1u << 20;

class CRecipeReader {
public:
    CRecipeReader(std::string name, std::string text);

    // Reads a whole file (at most kRecipeTextLimit bytes) into text; false when it cannot.
    static bool ReadFile(const std::string& path, std::string& text);

    // Moves to the next line with words; false at the end of the text.
    bool NextLine();

    size_t Count() const { return m_words.size(); }
    const std::string& Word(size_t i) const { return m_words[i]; }
    int LineNumber() const { return m_lineNumber; }
    const std::string& Name() const { return m_name; }

    // Each reads word i; on a missing or bad word it records the complaint and returns false.
    bool Number(size_t i, double min, double max, double& out);
    bool Integer(size_t i, int64_t min, int64_t max, int64_t& out);
    bool Colour(size_t i, RecipeColour& out);
    // "WxH", each 1..max.
    bool Size(size_t i, uint32_t max, uint32_t& width, uint32_t& height);
    // True when the line has exactly count words; else the complaint "expects ...".
    bool Expect(size_t count, const char* usage);

    // Records "NAME:LINE: reason" (the first complaint wins) and returns kStatusFailed.
    Status Fail(const std::string& reason);
    const std::string& Error() const { return m_error; }

private:
    bool Missing(size_t i, const char* what);

    std::string m_name;
    std::string m_text;
    size_t m_pos = 0;
    int m_lineNumber = 0;
    int m_nextLineNumber = 1;
    std::vector<std::string> m_words;
    std::string m_error;
};

// Parses a whole word as a number, without regard to the locale; false when it is not one.
bool Recipe_ParseNumber(const std::string& word, double& out);
// Parses #RRGGBB or #RRGGBBAA; false when the word is not one.
bool Recipe_ParseColour(const std::string& word, RecipeColour& out);
