// What each SV holds comes from the walk that computes the image: every byte
// a model writes has a name, the naming walk computes the same bytes, and the
// names read as the editors speak of the settings.
#include "boards/core/Boardfactory.h"
#include "boards/core/Tconfigurableboard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

// A board of the type as read back from a board holding random bytes.
std::unique_ptr<TConfigurableBoard> RandomBoard(int type, std::mt19937& random)
{
    std::unique_ptr<TConfigurableBoard> board = MakeBoard(type);
    std::uniform_int_distribution<int> byte(0, 255);
    for (unsigned sv = 1; sv <= board->SvLength(); ++sv)
        board->SetSvByte(sv, static_cast<uint8_t>(byte(random)));
    board->DecodeSvImage();
    return board;
}

bool HasName(const std::vector<std::string>& names, const std::string& part)
{
    return std::any_of(names.begin(), names.end(),
                       [&](const std::string& name) { return name.find(part) != std::string::npos; });
}

}  // namespace

TEST(SvNames, EveryWrittenSvOfRandomBoardsIsNamed)
{
    std::mt19937 random(2512);
    for (int type = 0; type < kBoardTypeCount; ++type) {
        for (int round = 0; round < 20; ++round) {
            std::unique_ptr<TConfigurableBoard> board = RandomBoard(type, random);
            SCOPED_TRACE(board->BoardTypeName() + " round " + std::to_string(round));
            const bool computed = board->ComputeSvImage();
            const std::vector<uint8_t> image = board->SvImage();

            bool named = false;
            const std::vector<std::string> names = board->NameSvImage(&named);
            EXPECT_EQ(named, computed);
            ASSERT_EQ(names.size(), board->SvLength());
            EXPECT_EQ(board->SvImage(), image) << "naming changed the image";

            const std::vector<unsigned> unused = board->UnusedSvList();
            for (unsigned sv = 1; sv <= board->SvLength(); ++sv) {
                const std::string& name = names[sv - 1];
                ASSERT_FALSE(name.empty()) << "SV" << sv;
                EXPECT_EQ(name.find(", :"), std::string::npos) << "SV" << sv << ": " << name;
                if (image[sv - 1] != 0)
                    EXPECT_NE(name, TConfigurableBoard::kUnusedSvName) << "SV" << sv << " holds a value";
                if (std::find(unused.begin(), unused.end(), sv) != unused.end())
                    EXPECT_EQ(name, TConfigurableBoard::kUnusedSvName) << "SV" << sv << " is unused: " << name;
            }
        }
    }
}

TEST(SvNames, NamesSpeakOfTheSettings)
{
    struct TCase {
        int type;
        const char* name;
    };
    const TCase cases[] = {
        {btVELA40, "signal 3: next signal"},
        {btVELA40, "signal 10, block occupied conditions: condition 1"},
        {btVELA80, "zone B, west - east: condition 8"},
        {btVELA80, "device table, position 1, number low byte"},
        {btORT50, "cell 7: address, low byte"},
        {btORT50, "route 2: no entry"},
        {btMUV7, "sequence 1, step 4: trigger, low byte"},
        {btMUV7, "sequence 2: name, character 15"},
        {btPAX60, "cell 8, thrown conditions: condition 7"},
        {btPAX60, "input cell B: input type"},
        {btPAX60, "route 1, trigger conditions: condition 1"},
        {btPAX66, "individual address 1, high byte"},
        {btTEL90, "deactivate debounce time"},
        {btTEL90, "serial number, low byte"},
    };
    for (const TCase& c : cases) {
        std::unique_ptr<TConfigurableBoard> board = MakeBoard(c.type);
        const std::vector<std::string> names = board->NameSvImage();
        EXPECT_TRUE(HasName(names, c.name)) << board->BoardTypeName() << ": " << c.name;
    }
}

TEST(SvNames, NamesFollowTheLayoutOfTheEntries)
{
    // A route's entries take one or two bytes each: the names move with them.
    std::mt19937 random(7);
    for (int round = 0; round < 50; ++round) {
        std::unique_ptr<TConfigurableBoard> board = RandomBoard(btORT50, random);
        const std::vector<std::string> names = board->NameSvImage();
        for (unsigned sv = 1; sv <= board->SvLength(); ++sv) {
            const std::string& name = names[sv - 1];
            if (name.find("point, low byte") != std::string::npos) {
                ASSERT_GE(sv, 2u);
                EXPECT_NE(names[sv - 2].find("point, high part"), std::string::npos) << "SV" << sv;
            }
        }
    }
}
