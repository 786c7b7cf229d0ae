// A scene that records the procedure calls BuildBG makes: the row each gets
// and hands back, which object holds the row, the weights and the sky type
// at the time. Forwarding, it draws as usual; otherwise the procedures do
// nothing, so that BuildBG's own random draws are all there is to script.
#pragma once

#include <string>
#include <vector>

#include "scene/scene.h"

namespace gm::test {

struct Call {
    std::string proc;
    int rowIn = 0;
    int rowOut = 0;
    const Int16* row = nullptr;           // the object passed by reference, if any
    int weightLeft = 0, weightRight = 0;  // on entry
    int weightLeftOut = 0, weightRightOut = 0;
    int skyType = 0;
    int x = 0;  // of a cloud or a shadow
};

class RecordingScene final : public Scene {
  public:
    RecordingScene(ShowSurfaces& surfaces, SceneState& state, const Settings& settings,
                   ShowHost& host, BitmapLoader load, bool forward)
        : Scene(surfaces, state, settings, host, std::move(load)), forward_(forward) {}

    std::vector<Call> calls;
    // Added to the row a (not forwarded) Wald hands back.
    int waldShift = 0;

    std::vector<Call> callsOf(const std::string& proc) const {
        std::vector<Call> out;
        for (const Call& c : calls)
            if (c.proc == proc) out.push_back(c);
        return out;
    }

    void CopyBg() override {
        note("CopyBg", 0, nullptr);
        Scene::CopyBg();
    }
    void Hintergrund() override {
        layer("Hintergrund", [&] { Scene::Hintergrund(); });
    }
    void Himmel() override {
        layer("Himmel", [&] { Scene::Himmel(); });
    }
    void Meer(Int16 y) override {
        layer(
            "Meer", [&] { Scene::Meer(y); }, y);
    }
    void Boden(Int16 y) override {
        layer(
            "Boden", [&] { Scene::Boden(y); }, y);
    }
    void Wolken(gfx::Surface& dc, Int16 id, Int16 x, Int16 y) override {
        layer(
            "Wolken", [&] { Scene::Wolken(dc, id, x, y); }, y, x);
    }
    void Schatten(gfx::Surface& dc, Int16 id, Int16 x, Int16 y) override {
        layer(
            "Schatten", [&] { Scene::Schatten(dc, id, x, y); }, y, x);
    }
    void Berge(Int16& row) override {
        object("Berge", row, [&] { Scene::Berge(row); });
    }
    void Wald(Int16& row) override {
        object(
            "Wald", row, [&] { Scene::Wald(row); }, waldShift);
    }
    void Baum(Int16& row) override {
        object("Baum", row, [&] { Scene::Baum(row); });
    }
    void City(Int16& row) override {
        object("City", row, [&] { Scene::City(row); });
    }
    void Dorf(Int16& row) override {
        object("Dorf", row, [&] { Scene::Dorf(row); });
    }
    void Haus(Int16& row) override {
        object("Haus", row, [&] { Scene::Haus(row); });
    }
    void Zaun(Int16& row) override {
        object("Zaun", row, [&] { Scene::Zaun(row); });
    }
    void Schneemann(Int16& row) override {
        object("Schneemann", row, [&] { Scene::Schneemann(row); });
    }

  private:
    Call& note(const char* proc, int row, const Int16* ref, int x = 0) {
        calls.push_back({proc, row, row, ref, state.weightLeft, state.weightRight, state.weightLeft,
                         state.weightRight, state.SkyType, x});
        return calls.back();
    }
    template <typename Draw>
    void layer(const char* proc, Draw draw, int row = 0, int x = 0) {
        note(proc, row, nullptr, x);
        if (forward_) draw();
    }
    template <typename Draw>
    void object(const char* proc, Int16& row, Draw draw, int shift = 0) {
        const std::size_t at = calls.size();
        note(proc, row, &row);
        if (forward_)
            draw();
        else
            row = row + shift;
        calls[at].rowOut = row;
        calls[at].weightLeftOut = state.weightLeft;
        calls[at].weightRightOut = state.weightRight;
    }

    bool forward_;
};

}  // namespace gm::test
