// Texts holding commas and double quotes, in every kind of text field of the
// real models, through a configuration file and back: each reads back whole,
// or at worst without its double quotes, and no other field moves.
#include "boards/core/Boarddata.h"
#include "boards/core/Boardfactory.h"
#include "boards/core/Csv_io.h"
#include "boards/muv7/Tmuv7board.h"
#include "boards/ort50/Tort50board.h"
#include "boards/pax/Tpax60board.h"
#include "boards/pax/Tpax66board.h"
#include "boards/pax/Ttel90board.h"
#include "boards/vela/Tvela40board.h"
#include "boards/vela/Tvela80board.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::vector<std::string> kNastyTexts = {
    "a\"b,c",              // closed the quote early: the line gained a field
    "a,b\"c",              // read back as a,bc"
    "\"",
    "\"\"",
    "\"quoted\"",
    "\"a,b\"",
    ",",
    ",,\"",
    "x\"",
    "\"x",
    "say \"hi\", then go",
    "a\"\"b",
    "\"\",\"\"",
    " spaced \" quote ",
    "\"Main\" platform",
    "up, then down",
    "plain",
};

// The reader has no escape for a double quote: a text with a comma after a
// double quote can only come back without its double quotes.
std::string ReadsBackAs(const std::string& text)
{
    const size_t quote = text.find('"');
    if (quote == std::string::npos || text.find(',', quote) == std::string::npos)
        return text;
    std::string without = text;
    std::erase(without, '"');
    return without;
}

// One text field of a board: its kind, and how to set and get it.
struct TTextSlot {
    std::string kind;
    std::function<void(TConfigurableBoard&, const std::string&)> set;
    std::function<std::string(const TConfigurableBoard&)> get;
};

template <class TBoard>
TTextSlot Slot(std::string kind, std::function<std::string&(TBoard&)> ref)
{
    return {std::move(kind), [ref](TConfigurableBoard& b, const std::string& t) { ref(dynamic_cast<TBoard&>(b)) = t; },
            [ref](const TConfigurableBoard& b) { return ref(const_cast<TBoard&>(dynamic_cast<const TBoard&>(b))); }};
}

TTextSlot NameSlot()
{
    return {"board name", [](TConfigurableBoard& b, const std::string& t) { b.SetName(t); },
            [](const TConfigurableBoard& b) { return b.Name(); }};
}

template <class TBoard>
void AddVelaSlots(std::vector<TTextSlot>& slots)
{
    slots.push_back({"notes", [](TConfigurableBoard& b, const std::string& t) { dynamic_cast<TBoard&>(b).SetDescription(t); },
                     [](const TConfigurableBoard& b) { return dynamic_cast<const TBoard&>(b).Description(); }});
    for (int i = 0; i < 10; ++i) {
        slots.push_back({"signal name " + std::to_string(i),
                         [i](TConfigurableBoard& b, const std::string& t) { dynamic_cast<TBoard&>(b).Signal(i).SetName(t); },
                         [i](const TConfigurableBoard& b) { return dynamic_cast<const TBoard&>(b).Signal(i).Name(); }});
        slots.push_back({"signal description " + std::to_string(i),
                         [i](TConfigurableBoard& b, const std::string& t) {
                             dynamic_cast<TBoard&>(b).Signal(i).SetDescription(t);
                         },
                         [i](const TConfigurableBoard& b) { return dynamic_cast<const TBoard&>(b).Signal(i).Description(); }});
    }
    for (int i = 0; i < 3; ++i) {
        slots.push_back({"zone name " + std::to_string(i),
                         [i](TConfigurableBoard& b, const std::string& t) { dynamic_cast<TBoard&>(b).Zone(i).SetName(t); },
                         [i](const TConfigurableBoard& b) { return dynamic_cast<const TBoard&>(b).Zone(i).Name(); }});
        slots.push_back({"zone description " + std::to_string(i),
                         [i](TConfigurableBoard& b, const std::string& t) {
                             dynamic_cast<TBoard&>(b).Zone(i).SetDescription(t);
                         },
                         [i](const TConfigurableBoard& b) { return dynamic_cast<const TBoard&>(b).Zone(i).Description(); }});
    }
}

template <class TBoard>
void AddPaxSlots(std::vector<TTextSlot>& slots)
{
    slots.push_back(Slot<TBoard>("notes", [](TBoard& b) -> std::string& { return b.Parts.UserDescription; }));
    for (int i = 0; i < 8; ++i)
        slots.push_back(Slot<TBoard>("output cell description " + std::to_string(i),
                                     [i](TBoard& b) -> std::string& { return b.OutputCell(i).Description; }));
    for (int i = 0; i < 10; ++i)
        slots.push_back(Slot<TBoard>("input cell description " + std::to_string(i),
                                     [i](TBoard& b) -> std::string& { return b.InputCell(i).Description; }));
}

std::vector<TTextSlot> TextSlots(uint8_t type)
{
    std::vector<TTextSlot> slots{NameSlot()};
    switch (type) {
    case btVELA40:
        AddVelaSlots<TVELA40Board>(slots);
        break;
    case btVELA80:
        AddVelaSlots<TVELA80Board>(slots);
        break;
    case btORT50:
        slots.push_back(Slot<TORT50Board>("notes", [](TORT50Board& b) -> std::string& { return b.notes; }));
        for (int i = 0; i < 30; ++i)
            slots.push_back(Slot<TORT50Board>("cell description " + std::to_string(i),
                                              [i](TORT50Board& b) -> std::string& { return b.CellAt(i).description; }));
        break;
    case btMUV7:
        slots.push_back(Slot<TMUV7Board>("notes", [](TMUV7Board& b) -> std::string& { return b.description; }));
        for (int s = 0; s < 4; ++s) {
            slots.push_back(Slot<TMUV7Board>("sequence name " + std::to_string(s),
                                             [s](TMUV7Board& b) -> std::string& { return b.SequenceAt(s).name; }));
            slots.push_back(Slot<TMUV7Board>("sequence description " + std::to_string(s),
                                             [s](TMUV7Board& b) -> std::string& { return b.SequenceAt(s).description; }));
            for (int k = 0; k < 16; ++k)
                slots.push_back(Slot<TMUV7Board>(
                    "step name " + std::to_string(s) + "/" + std::to_string(k),
                    [s, k](TMUV7Board& b) -> std::string& { return b.SequenceAt(s).StepAt(k).name; }));
        }
        break;
    case btPAX60:
        AddPaxSlots<TPAX60Board>(slots);
        break;
    case btPAX66:
        AddPaxSlots<TPAX66Board>(slots);
        break;
    case btTEL90:
        slots.push_back(Slot<TTEL90Board>("notes", [](TTEL90Board& b) -> std::string& { return b.UserDescription; }));
        break;
    }
    return slots;
}

// A step without an action is not kept in the file: give every step one.
void MakeStepsReal(TConfigurableBoard& board)
{
    if (auto* muv7 = dynamic_cast<TMUV7Board*>(&board)) {
        for (int s = 0; s < 4; ++s) {
            for (int k = 0; k < 16; ++k) {
                muv7->SequenceAt(s).StepAt(k).action = kMuv7ActionStop;
                muv7->SequenceAt(s).StepAt(k).delay = 5 + k;
            }
        }
    }
}

}  // namespace

TEST(CsvTexts, NastyTextsInEveryTextFieldOfEveryModel)
{
    for (uint8_t type = 0; type < kBoardTypeCount; ++type) {
        SCOPED_TRACE(TBoardData::ShortTypeName(type));
        const std::vector<TTextSlot> slots = TextSlots(type);
        // Every text in every slot, shifted per round so that neighbours differ.
        for (size_t round = 0; round < kNastyTexts.size(); ++round) {
            std::unique_ptr<TConfigurableBoard> board = MakeBoard(type);
            ASSERT_TRUE(board);
            MakeStepsReal(*board);
            board->SetSerialNumber(1000 + int(round));
            std::vector<std::string> texts;
            for (size_t i = 0; i < slots.size(); ++i) {
                texts.push_back(kNastyTexts[(round + i) % kNastyTexts.size()]);
                slots[i].set(*board, texts.back());
            }
            // A plain board after it must stay as it was.
            std::unique_ptr<TConfigurableBoard> after = MakeBoard(type);
            MakeStepsReal(*after);
            after->SetName("after");
            after->SetSerialNumber(77);
            std::ostringstream out;
            board->WriteToFile(out);
            after->WriteToFile(out);

            TBoardData data;
            std::istringstream in(out.str());
            ASSERT_TRUE(data.ReadList(type, in, "nasty.csv")) << data.LastErrorText();
            ASSERT_EQ(data.BoardCount(type), 2);
            TConfigurableBoard& back = *data.BoardAt(type, 0);
            EXPECT_EQ(back.SerialNumber(), 1000 + int(round));
            for (size_t i = 0; i < slots.size(); ++i)
                EXPECT_EQ(slots[i].get(back), ReadsBackAs(texts[i])) << slots[i].kind << ": " << texts[i];
            EXPECT_EQ(data.BoardAt(type, 1)->Name(), "after");
            EXPECT_EQ(data.BoardAt(type, 1)->SerialNumber(), 77);

            // What was read writes the same file again.
            std::ostringstream again;
            data.WriteList(type, again);
            std::ostringstream expected;
            back.WriteToFile(expected);
            after->WriteToFile(expected);
            EXPECT_EQ(again.str(), expected.str());
        }
    }
}

TEST(CsvTexts, FieldFormsAndWhatTheyReadBackAs)
{
    struct TCase {
        bool quote;
        std::string text;
        std::string field;  // as written between the commas
        std::string back;
    };
    const TCase cases[] = {
        // A comma after a double quote: the quotes go, the comma stays inside the field.
        {true, "a\"b,c", "\"ab,c\"", "ab,c"},
        {true, "say \"hi\", then go", "\"say hi, then go\"", "say hi, then go"},
        {false, "a,b\"c", "\"a,b\"\"c", "a,b\"c"},
        {true, "a,b\"c", "\"a,b\"\"c", "a,b\"c"},
        // Quotes without a comma after them keep every character.
        {true, "say \"hi\"", "\"say \"\"hi\"", "say \"hi\""},
        {true, "\"quoted\"", "\"\"\"\"quoted\"\"", "\"quoted\""},
        {true, "\"", "\"\"\"\"\"", "\""},
        {false, "x\"", "x\"", "x\""},
        {false, "\"x", "\"\"\"x", "\"x"},
        {false, "\"x\"", "\"\"\"\"x\"\"", "\"x\""},
        {true, ",,\"", "\",,\"\"", ",,\""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.text);
        TCsvIo writer;
        writer.SetQuoteTexts(c.quote);
        writer.SetIntField(0, 1);
        writer.SetTextField(1, c.text);
        writer.SetIntField(2, 2);
        // Before writing, the record already reads its text as the file will.
        EXPECT_EQ(writer.GetTextField(1), c.back);
        std::ostringstream out;
        writer.WriteLine(out, 3);
        EXPECT_EQ(out.str(), "1," + c.field + ",2\r\n");
        std::istringstream in(out.str());
        TCsvIo reader;
        EXPECT_EQ(reader.ReadLine(in), 3u);
        EXPECT_EQ(reader.GetTextField(1), c.back);
        EXPECT_EQ(reader.GetIntField(2), 2);
    }
}

TEST(CsvTexts, LoneCarriageReturnReadsAsTheSpaceItIsWrittenAs)
{
    // Only a line feed ends a line, so a text read from a file can hold a lone
    // carriage return; it must read as what the program will write for it.
    for (const std::string line : {"1,\"a\rb\",2\r\n", "1,a\rb,2\n", "1,\"a\"\rb,2\n"}) {
        SCOPED_TRACE(line);
        std::istringstream in(line);
        TCsvIo reader;
        EXPECT_EQ(reader.ReadLine(in), 3u);
        const std::string text = reader.GetTextField(1);
        EXPECT_EQ(text.find('\r'), std::string::npos);
        EXPECT_EQ(text.size(), 3u);
        EXPECT_EQ(reader.GetIntField(2), 2);
    }
}
