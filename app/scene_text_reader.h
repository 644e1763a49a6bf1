// Reading the scene's text files (test.lights, test.meshs, light files) piece
// by piece, the way all of them share.
#pragma once

#include <cstdio>

// A piece holds at most 259 characters and its terminator.
constexpr int kScenePieceCapacity = 260;

enum class PieceKind {
    Comment,    // the first character is "!"
    EmptyLine,  // the first character is the line break
    Entry,      // anything else, a leading blank included
};

// Only the first character decides what a piece is.
PieceKind ClassifyPiece(const wchar_t* piece);

// Reads an 8-bit text file one piece at a time: the rest of the current line
// with its line break if that fits into 259 characters, otherwise the next 259
// characters of the line. Each byte becomes one wide character. A carriage
// return directly followed by a line feed reads as one line break on every
// system, and the byte 0x1A ends the text, as a text-mode read does on
// Windows; the file itself is opened as bytes so that the rules do not depend
// on the C library.
class SceneTextReader {
public:
    // Takes ownership of the open file (nullptr gives a reader at its end).
    explicit SceneTextReader(std::FILE* file);
    ~SceneTextReader();
    SceneTextReader(const SceneTextReader&) = delete;
    SceneTextReader& operator=(const SceneTextReader&) = delete;

    bool IsOpen() const { return file_ != nullptr; }

    // Reads the next piece; false at the end of the file (no character read).
    bool ReadPiece();
    // The last piece read, terminated.
    const wchar_t* Piece() const { return piece_; }
    PieceKind Kind() const { return ClassifyPiece(piece_); }
    // The last piece as an entry: cut at its line break, blanks kept.
    const wchar_t* Entry();

    // Starts reading again from the first byte of the file.
    void Rewind();

private:
    int ReadCharacter();

    std::FILE* file_;
    wchar_t piece_[kScenePieceCapacity] = {};
};
