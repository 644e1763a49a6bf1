// The line rules shared by test.lights, test.meshs and light files, and the
// counting and loading passes over a list.
#include "app/scene_file.h"
#include "app/scene_list.h"
#include "app/scene_text_reader.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "scene_files.h"

namespace kl::scene_test {
namespace {

struct Piece {
    PieceKind kind;
    std::wstring text;
};

std::vector<Piece> ReadAllPieces(const std::string& bytes) {
    WriteFile("list.txt", bytes);
    SceneTextReader reader(OpenSceneFile(L"list.txt"));
    EXPECT_TRUE(reader.IsOpen());
    std::vector<Piece> pieces;
    while (reader.ReadPiece()) pieces.push_back({reader.Kind(), reader.Piece()});
    return pieces;
}

// The entries a loading pass hands out, with the record index each lands in.
std::vector<std::pair<int, std::wstring>> LoadedEntries(const std::string& bytes, int* count,
                                                        ListLoadOutcome* outcome) {
    WriteFile("list.txt", bytes);
    SceneTextReader reader(OpenSceneFile(L"list.txt"));
    *count = CountListEntries(reader);
    std::vector<std::pair<int, std::wstring>> entries;
    *outcome = LoadListEntries(reader, *count, [&](int index, const wchar_t* path) {
        entries.emplace_back(index, path);
        return S_OK;
    });
    return entries;
}

using SceneTextReaderTest = SceneFolderTest;

TEST(ClassifyPieceTest, OnlyTheFirstCharacterDecides) {
    EXPECT_EQ(ClassifyPiece(L"! comment\n"), PieceKind::Comment);
    EXPECT_EQ(ClassifyPiece(L"!"), PieceKind::Comment);
    EXPECT_EQ(ClassifyPiece(L"\n"), PieceKind::EmptyLine);
    EXPECT_EQ(ClassifyPiece(L" !blank first\n"), PieceKind::Entry);
    EXPECT_EQ(ClassifyPiece(L"path!with bang\n"), PieceKind::Entry);
    EXPECT_EQ(ClassifyPiece(L"\r\n"), PieceKind::Entry);  // a lone carriage return is a character
}

TEST_F(SceneTextReaderTest, LineOf300CharactersIsTwoPieces) {
    const std::string line(300, 'a');
    const std::vector<Piece> pieces = ReadAllPieces(line + "\n");
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].text, std::wstring(259, L'a'));
    EXPECT_EQ(pieces[1].text, std::wstring(41, L'a') + L"\n");
    EXPECT_EQ(pieces[1].kind, PieceKind::Entry);
}

TEST_F(SceneTextReaderTest, LineOf259CharactersLeavesItsLineBreakAlone) {
    const std::vector<Piece> pieces = ReadAllPieces(std::string(259, 'b') + "\nnext\n");
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0].text, std::wstring(259, L'b'));
    EXPECT_EQ(pieces[1].kind, PieceKind::EmptyLine);
    EXPECT_EQ(pieces[2].text, L"next\n");
}

TEST_F(SceneTextReaderTest, LineOf258CharactersFitsWithItsLineBreak) {
    const std::vector<Piece> pieces = ReadAllPieces(std::string(258, 'c') + "\n");
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0].text, std::wstring(258, L'c') + L"\n");
}

TEST_F(SceneTextReaderTest, CarriageReturnLineFeedReadsAsOneLineBreak) {
    const std::vector<Piece> pieces = ReadAllPieces("first\r\n\r\n!note\r\nlast\r\n");
    ASSERT_EQ(pieces.size(), 4u);
    EXPECT_EQ(pieces[0].text, L"first\n");
    EXPECT_EQ(pieces[1].kind, PieceKind::EmptyLine);
    EXPECT_EQ(pieces[2].kind, PieceKind::Comment);
    EXPECT_EQ(pieces[3].text, L"last\n");
}

TEST_F(SceneTextReaderTest, CarriageReturnLineFeedCountsAsOneCharacterOfThePiece) {
    // 258 characters and CR LF fit as 258 characters and one line break.
    const std::vector<Piece> pieces = ReadAllPieces(std::string(258, 'd') + "\r\n");
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0].text, std::wstring(258, L'd') + L"\n");
}

TEST_F(SceneTextReaderTest, LoneCarriageReturnStaysACharacter) {
    const std::vector<Piece> pieces = ReadAllPieces("a\rb\n\r");
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].text, L"a\rb\n");
    EXPECT_EQ(pieces[1].text, L"\r");
}

// An editor that ends its files with Ctrl+Z: the text ends at that byte.
TEST_F(SceneTextReaderTest, ByteOneAEndsTheText) {
    int count = 0;
    ListLoadOutcome outcome{};
    const auto entries = LoadedEntries("a.txt\nb.txt\n\x1A", &count, &outcome);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(outcome.result, S_OK);
    EXPECT_EQ(entries.size(), 2u);

    const std::vector<Piece> pieces = ReadAllPieces("a\x1A\nb.txt\n");
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0].text, L"a");
}

TEST_F(SceneTextReaderTest, BytesWidenOneToOne) {
    const std::vector<Piece> pieces = ReadAllPieces("\xE9t\xE9\n");
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0].text, std::wstring(L"\u00E9t\u00E9\n"));
}

TEST_F(SceneTextReaderTest, EntryIsCutAtTheLineBreakAndKeepsItsBlanks) {
    WriteFile("list.txt", "  lights\\a b.txt  \n");
    SceneTextReader reader(OpenSceneFile(L"list.txt"));
    ASSERT_TRUE(reader.ReadPiece());
    EXPECT_STREQ(reader.Entry(), L"  lights\\a b.txt  ");
}

TEST_F(SceneTextReaderTest, EmptyFileAndMissingFileGiveNoPiece) {
    EXPECT_TRUE(ReadAllPieces("").empty());
    SceneTextReader missing(OpenSceneFile(L"missing.txt"));
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_FALSE(missing.ReadPiece());
}

TEST_F(SceneTextReaderTest, CountingSkipsCommentsAndEmptyLines) {
    int count = 0;
    ListLoadOutcome outcome{};
    const std::string list = "! lights of the hall\n\na.txt\n!b.txt\n\n\nc.txt\n !d.txt\nlast.txt";
    const auto entries = LoadedEntries(list, &count, &outcome);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(outcome.result, S_OK);
    EXPECT_EQ(outcome.loaded, 4);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0], std::make_pair(0, std::wstring(L"a.txt")));
    // Comments and empty lines between entries do not shift the records.
    EXPECT_EQ(entries[1], std::make_pair(1, std::wstring(L"c.txt")));
    // A blank before "!" makes an entry whose path starts with the blank.
    EXPECT_EQ(entries[2], std::make_pair(2, std::wstring(L" !d.txt")));
    // A last line without a line break is an entry like any other.
    EXPECT_EQ(entries[3], std::make_pair(3, std::wstring(L"last.txt")));
}

TEST_F(SceneTextReaderTest, OnlyCommentsAndEmptyLinesCountZero) {
    int count = -1;
    ListLoadOutcome outcome{};
    EXPECT_TRUE(LoadedEntries("! nothing here\r\n\r\n!still nothing\n", &count, &outcome).empty());
    EXPECT_EQ(count, 0);
}

TEST_F(SceneTextReaderTest, LongLineCountsAsTwoEntries) {
    int count = 0;
    ListLoadOutcome outcome{};
    const auto entries = LoadedEntries(std::string(300, 'x') + "\nshort\n", &count, &outcome);
    EXPECT_EQ(count, 3);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].second, std::wstring(259, L'x'));
    EXPECT_EQ(entries[1].second, std::wstring(41, L'x'));
    EXPECT_EQ(entries[2].second, L"short");
}

TEST_F(SceneTextReaderTest, ListEndingDuringLoadingStopsWithOneAndCountsWhatLoaded) {
    WriteFile("list.txt", "a\n!c\nb\n");
    SceneTextReader reader(OpenSceneFile(L"list.txt"));
    std::vector<std::wstring> paths;
    // The list claims five records, but holds two entries.
    const ListLoadOutcome outcome = LoadListEntries(reader, 5, [&](int, const wchar_t* path) {
        paths.emplace_back(path);
        return S_OK;
    });
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.loaded, 2);
    EXPECT_EQ(paths, (std::vector<std::wstring>{L"a", L"b"}));
}

TEST_F(SceneTextReaderTest, FirstFailingEntryEndsTheLoadingPass) {
    WriteFile("list.txt", "a\nb\nc\n");
    SceneTextReader reader(OpenSceneFile(L"list.txt"));
    ASSERT_EQ(CountListEntries(reader), 3);
    std::vector<int> tried;
    const ListLoadOutcome outcome = LoadListEntries(reader, 3, [&](int index, const wchar_t*) {
        tried.push_back(index);
        return index == 1 ? E_ACCESSDENIED : S_OK;
    });
    EXPECT_EQ(outcome.result, E_ACCESSDENIED);
    EXPECT_EQ(outcome.loaded, 1);
    EXPECT_EQ(tried, (std::vector<int>{0, 1}));
}

TEST_F(SceneTextReaderTest, OpensWithBackslashesAndOtherLetterCase) {
    WriteFile("Lights/Hall/Lamp.TXT", "1\n");
    SceneTextReader reader(OpenSceneFile(L"lights\\hall\\lamp.txt"));
    ASSERT_TRUE(reader.IsOpen());
    ASSERT_TRUE(reader.ReadPiece());
    EXPECT_STREQ(reader.Piece(), L"1\n");
}

TEST_F(SceneTextReaderTest, AbsolutePathOpens) {
    WriteFile("abs.txt", "x\n");
    const std::string absolute = (folder_ / "abs.txt").string();
    const std::wstring path(absolute.begin(), absolute.end());
    SceneTextReader reader(OpenSceneFile(path.c_str()));
    EXPECT_TRUE(reader.IsOpen());
}

TEST_F(SceneTextReaderTest, FolderIsNotOpenedAsAFile) {
    std::filesystem::create_directories("test.lights");
    SceneTextReader reader(OpenSceneFile(L"test.lights"));
    EXPECT_FALSE(reader.IsOpen());
}

}  // namespace
}  // namespace kl::scene_test
