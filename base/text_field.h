// Splitting a text into fields, trimming and comparing them.
#pragma once

#include <string>
#include <string_view>

// The n-th field (counting from 1) of `text`; a field the text does not have
// is empty.
//
// With a non-empty `delimiter`, fields are separated by each occurrence of the
// whole delimiter.
//
// With an empty delimiter the text is read as comma-separated values: spaces
// before a field are skipped; a field that begins with a double quote runs to
// the next double quote (the quotes are dropped, commas inside belong to the
// field, text between the closing quote and the next comma is skipped; an
// unclosed quote takes the rest of the text); any other field runs to the next
// comma and loses its trailing spaces.
std::string TextField(std::string_view text, int n, std::string_view delimiter = {});

// `text` without the spaces (byte 32 only; tabs and line ends stay) at its
// beginning and end.
std::string_view TrimSpaces(std::string_view text);

// Whether `a` and `b` are the same text when the letters A to Z and a to z
// count as the same (as Windows compares file names, and as people write
// a spreadsheet's header); other bytes must be equal.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);
