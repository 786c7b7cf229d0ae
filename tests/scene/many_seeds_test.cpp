// BuildBG with the program's own pictures for 1,000 seeds: not one trapped
// error, and the rules of the composition hold in every scene.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "gfx/bitmap_resource.h"
#include "tests/scene/recording_scene.h"
#include "tests/scene/scene_fixture.h"

namespace gm {
namespace {

using test::Call;
using test::RecordingScene;

constexpr int kSeeds = 1000;

// The object BuildBG keeps its row in: the one most calls get.
const Int16* workingRow(const std::vector<Call>& calls) {
    std::map<const Int16*, int> uses;
    for (const Call& c : calls)
        if (c.row) ++uses[c.row];
    const Int16* best = nullptr;
    for (const auto& [row, n] : uses)
        if (!best || n > uses[best]) best = row;
    return best;
}

// Checks one composition; returns what went wrong, empty when nothing.
std::string checkScene(const std::vector<Call>& calls) {
    std::ostringstream bad;
    const Int16* y = workingRow(calls);
    int lastRow = -1, villages = 0;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        const Call& c = calls[i];
        const int dLeft = c.weightLeftOut - c.weightLeft, dRight = c.weightRightOut - c.weightRight;
        // The row only grows; the one exception lifts the snowman back to
        // row 470 when the foreground has gone further down.
        if (c.row == y) {
            const bool liftedSnowman = c.proc == "Schneemann" && c.rowIn == 470;
            if (c.rowIn < lastRow && !liftedSnowman)
                bad << c.proc << " at " << c.rowIn << " after row " << lastRow << "; ";
            lastRow = c.rowOut;
        }
        if (c.proc == "Berge" || c.proc == "Baum" || c.proc == "Haus" || c.proc == "Zaun" ||
            c.proc == "Schneemann") {
            if (c.rowOut != c.rowIn) bad << c.proc << " moved its row; ";
        }
        if (c.proc == "Baum" && dLeft + dRight != 1)
            bad << "Baum weighed " << dLeft + dRight << "; ";
        if (c.proc == "Haus" && dLeft + dRight != 10)
            bad << "Haus weighed " << dLeft + dRight << "; ";
        if (c.proc == "Wald") {
            const int rows = (dLeft + dRight) / 4;
            if ((dLeft + dRight) % 4 != 0 || rows > 3 || c.rowOut < c.rowIn ||
                c.rowOut > c.rowIn + 2 * rows)
                bad << "Wald " << c.rowIn << "->" << c.rowOut << " weighed " << dLeft + dRight
                    << "; ";
        }
        if (c.proc == "City") {
            if (villages > 0) bad << "a town beside the village; ";
            if (c.rowIn >= 350) bad << "a town at row " << c.rowIn << "; ";
            if (c.rowOut < std::max(c.rowIn, 220) || (dLeft + dRight) % 2 != 0 ||
                dLeft + dRight > 10)
                bad << "City " << c.rowIn << "->" << c.rowOut << "; ";
        }
        if (c.proc == "Dorf") {
            ++villages;
            // Eleven passes of at least one row each lie behind it.
            if (c.rowIn < 190 + 11) bad << "a village at row " << c.rowIn << "; ";
            if (c.rowOut < std::max(c.rowIn, 230) || (dLeft + dRight) % 2 != 0 ||
                dLeft + dRight > 6)
                bad << "Dorf " << c.rowIn << "->" << c.rowOut << "; ";
        }
        if (c.proc == "Schneemann") {
            if (c.rowIn < 420 || c.rowIn > 470) bad << "the snowman on row " << c.rowIn << "; ";
            // His shadow, drawn first, starts 75 pixels right of him.
            const Call& shadow = calls.at(i + 1);
            const int x = shadow.x - 75;
            const bool left = c.weightLeft < c.weightRight;
            if (shadow.proc != "Schatten" || (left ? x < 80 || x > 120 : x < 300 || x > 380))
                bad << "the snowman at x " << x << " with weights " << c.weightLeft << "/"
                    << c.weightRight << "; ";
        }
        if (c.proc == "Meer" && i + 1 < calls.size() && calls[i + 1].proc == "Boden") {
            const int below = calls[i + 1].rowIn - c.rowIn;
            if (c.rowIn >= 290 || below < 34 || below > 46) bad << "a snow field below the sea; ";
        }
    }
    if (villages > 1) bad << villages << " villages; ";
    if (calls.size() < 2 || calls[calls.size() - 2].proc != "Berge" ||
        calls[calls.size() - 2].rowIn != 480 || calls.back().proc != "CopyBg")
        bad << "no last hills on row 480; ";
    return bad.str();
}

TEST(BuildBG, ThousandScenesWithoutAnErrorKeepTheirRules) {
    int snowmen = 0, villages = 0, towns = 0, seas = 0;
    for (int seed = 1; seed <= kSeeds; ++seed) {
        test::SceneRig rig;
        RecordingScene recorder(rig.surfaces, rig.state, rig.settings, rig.host,
                                &gfx::LoadBitmapResource, true);
        Randomize(static_cast<std::uint64_t>(seed));
        recorder.BuildBG();
        ASSERT_TRUE(rig.trap.reports().empty())
            << "seed " << seed << ": " << rig.trap.reports()[0].proc << " line "
            << rig.trap.reports()[0].line << " error " << rig.trap.reports()[0].number;
        const std::string problems = checkScene(recorder.calls);
        ASSERT_TRUE(problems.empty()) << "seed " << seed << ": " << problems;
        snowmen += !recorder.callsOf("Schneemann").empty();
        villages += !recorder.callsOf("Dorf").empty();
        towns += !recorder.callsOf("City").empty();
        seas += !recorder.callsOf("Meer").empty();
    }
    // The rules above were met by scenes that have all these things.
    EXPECT_EQ(snowmen, kSeeds);
    EXPECT_GT(villages, 0);
    EXPECT_GT(towns, 0);
    EXPECT_GT(seas, 0);
}

}  // namespace
}  // namespace gm
