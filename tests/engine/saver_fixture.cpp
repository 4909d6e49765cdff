#include "saver_fixture.h"

#include "host_state.h"

#include <cstring>

namespace {

const char windowClass[] = "GushmireEngineTest";

constexpr const char *frameNames[] = {"BLOOD1", "BLOOD2", "BLOOD3", "BLOOD4",
                                      "BLOOD5", "PUS1",   "PUS2",   "PUS3",
                                      "PUS4",   "PUS5"};

void Put32(std::vector<unsigned char> &out, std::size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    out[at + static_cast<std::size_t>(i)] =
        static_cast<unsigned char>(value >> (8 * i));
  }
}

// An 8-bit bitmap resource: 40-byte header, 256 colours, pixels at 1064,
// bottom row first. `pixel` gives the colour index of image pixel (x, y).
template <class PixelIndex>
std::vector<unsigned char> MakeBitmap(int width, int height,
                                      const uint32_t (&colours)[256],
                                      PixelIndex pixel) {
  const std::size_t pixels = static_cast<std::size_t>(width) * height;
  std::vector<unsigned char> out(1064 + pixels, 0);
  Put32(out, 0, 40);
  Put32(out, 4, static_cast<uint32_t>(width));
  Put32(out, 8, static_cast<uint32_t>(height));
  out[12] = 1;
  out[14] = 8;
  Put32(out, 20, static_cast<uint32_t>(pixels));
  for (int i = 0; i < 256; ++i) {
    Put32(out, 40 + 4 * static_cast<std::size_t>(i), colours[i]);
  }
  for (int y = 0; y < height; ++y) {
    const std::size_t row = static_cast<std::size_t>(height - 1 - y);
    for (int x = 0; x < width; ++x) {
      out[1064 + row * static_cast<std::size_t>(width) +
          static_cast<std::size_t>(x)] = pixel(x, y);
    }
  }
  return out;
}

unsigned char BackdropIndex(int x, int y) {
  return static_cast<unsigned char>((x + 3 * y) & 0xFF);
}

uint32_t BackdropTableColour(int mode, int index) {
  // Blue is never 0, so no colour equals the display's starting black.
  return static_cast<uint32_t>(index) << 16 |
         static_cast<uint32_t>(255 - index) << 8 |
         static_cast<uint32_t>(mode == 1 ? 0x11 : 0x22);
}

} // namespace

uint32_t BackdropColour(int mode, int x, int y) {
  return BackdropTableColour(mode, BackdropIndex(x, y));
}

uint32_t FrameColour(const std::string &name) {
  for (std::size_t i = 0; i < std::size(frameNames); ++i) {
    if (name == frameNames[i]) {
      return 0x00400000u + static_cast<uint32_t>(i + 1) * 0x0101u;
    }
  }
  return 0;
}

StandInResources::StandInResources(Damage damage) {
  uint32_t colours[256];
  for (int mode = 1; mode <= 2; ++mode) {
    for (int i = 0; i < 256; ++i) {
      colours[i] = BackdropTableColour(mode, i);
    }
    names_.push_back(mode == 1 ? "SPLASH1" : "SPLASH2");
    data_.push_back(MakeBitmap(640, 480, colours, BackdropIndex));
  }
  for (const char *name : frameNames) {
    for (uint32_t &colour : colours) {
      colour = FrameColour(name);
    }
    names_.push_back(name);
    data_.push_back(MakeBitmap(200, 200, colours,
                               [](int, int) -> unsigned char { return 7; }));
  }
  for (std::vector<unsigned char> &bitmap : data_) {
    if (damage == Damage::Truncated) {
      bitmap.resize(1000);
    } else if (damage == Damage::LyingHeader) {
      Put32(bitmap, 8, 4000);
    }
  }
  for (std::size_t i = 0; i < data_.size(); ++i) {
    entries_.push_back({nullptr, 2, names_[i].c_str(), 0, 0x409,
                        data_[i].data(), static_cast<DWORD>(data_[i].size())});
  }
  previous_ = platform::SetModuleResources({entries_.data(), entries_.size()});
}

StandInResources::~StandInResources() {
  platform::SetModuleResources(previous_);
}

SaverWindow::SaverWindow(int width, int height, DWORD seed, bool preview) {
  platform::OpenHeadlessDisplay(width, height);
  WNDCLASSA cls = {};
  cls.style = CS_OWNDC;
  cls.lpfnWndProc = DefWindowProcA;
  cls.hInstance = GetModuleHandleA(nullptr);
  cls.lpszClassName = windowClass;
  RegisterClassA(&cls);
  window_ = CreateWindowExA(0, windowClass, "test", WS_POPUP | WS_VISIBLE, 0, 0,
                            width, height, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
  moduleInstance = GetModuleHandleA(nullptr);
  previewFlag = preview ? 1 : 0;
  windowDC = GetDC(window_);
  SetStretchBltMode(windowDC, COLORONCOLOR);
  ReleaseDC(window_, windowDC);
  screenWidth = static_cast<float>(width);
  screenHeight = static_cast<float>(height);
  SeedRandom(seed);
  std::memset(dripTable, 0, sizeof dripTable);
  animationPhase = PlaceSplat;
  displayMode = 1;
  splatCount = 0;
  stepCount = 0;
  stepTarget = 0;
  frameIndex = 0;
}

SaverWindow::~SaverWindow() {
  DestroyWindow(window_);
  UnregisterClassA(windowClass, GetModuleHandleA(nullptr));
  previewFlag = 0;
  moduleInstance = nullptr;
}

LONG SaverWindow::Step() {
  const LONG phase = animationPhase;
  AnimationStep(window_);
  return phase;
}

bool SaverWindow::RunUntil(LONG phase, long limit) {
  for (long i = 0; i < limit; ++i) {
    if (animationPhase == phase) {
      return true;
    }
    Step();
  }
  return animationPhase == phase;
}

bool EngineState::operator==(const EngineState &other) const {
  return std::memcmp(drips, other.drips, sizeof drips) == 0 &&
         phase == other.phase && mode == other.mode && splats == other.splats &&
         steps == other.steps && target == other.target &&
         frame == other.frame && seed == other.seed;
}

EngineState CaptureState() {
  EngineState state{};
  std::memcpy(state.drips, dripTable, sizeof dripTable);
  state.phase = animationPhase;
  state.mode = displayMode;
  state.splats = splatCount;
  state.steps = stepCount;
  state.target = stepTarget;
  state.frame = frameIndex;
  state.seed = randomSeed;
  return state;
}
