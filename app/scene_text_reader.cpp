#include "app/scene_text_reader.h"

#include <cwchar>

namespace {

// Ctrl+Z: a text-mode read on Windows ends the file at this byte.
constexpr int kTextEnd = 0x1A;

}  // namespace

PieceKind ClassifyPiece(const wchar_t* piece) {
    if (piece[0] == L'!') return PieceKind::Comment;
    if (piece[0] == L'\n') return PieceKind::EmptyLine;
    return PieceKind::Entry;
}

SceneTextReader::SceneTextReader(std::FILE* file) : file_(file) {}

SceneTextReader::~SceneTextReader() {
    if (file_ != nullptr) std::fclose(file_);
}

int SceneTextReader::ReadCharacter() {
    const int byte = std::fgetc(file_);
    if (byte == kTextEnd) {
        // Put back, so that every later read stops at the same byte.
        std::ungetc(byte, file_);
        return EOF;
    }
    if (byte != '\r') return byte;
    const int next = std::fgetc(file_);
    if (next == '\n') return '\n';
    if (next != EOF) std::ungetc(next, file_);
    return '\r';
}

bool SceneTextReader::ReadPiece() {
    piece_[0] = L'\0';
    if (file_ == nullptr) return false;
    int length = 0;
    while (length < kScenePieceCapacity - 1) {
        const int c = ReadCharacter();
        if (c == EOF) break;
        piece_[length++] = static_cast<wchar_t>(static_cast<unsigned char>(c));
        if (c == '\n') break;
    }
    piece_[length] = L'\0';
    return length > 0;
}

const wchar_t* SceneTextReader::Entry() {
    if (wchar_t* lineBreak = std::wcschr(piece_, L'\n')) *lineBreak = L'\0';
    return piece_;
}

void SceneTextReader::Rewind() {
    if (file_ != nullptr) std::rewind(file_);
}
