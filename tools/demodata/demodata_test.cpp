// The demo data tool's pieces: text conversion, the score reader and MIDI
// writer, the encoders' determinism and the run folder check's verdicts.
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/midi/midi_data.h"
#include "tools/demodata/canvas.h"
#include "tools/demodata/check.h"
#include "tools/demodata/generator.h"
#include "tools/demodata/sound.h"

namespace demodata {
namespace {

TEST(DemoText, Cp932WithCrLfAndStrictFaults) {
  const std::vector<uint8_t> got = toCp932Text("表～\nA\r\nｶ", "t");
  EXPECT_EQ(got, (std::vector<uint8_t>{0x95, 0x5C, 0x81, 0x60, 0x0D, 0x0A, 'A', 0x0D, 0x0A, 0xB6, 0x0D, 0x0A}));
  EXPECT_THROW(toCp932Text("ok\n\xF0\x9F\x98\x80\n", "t"), std::runtime_error);  // no such character
  EXPECT_THROW(toCp932Text("\xEF\xBB\xBFtext", "t"), std::runtime_error);
  try {
    toCp932Text("a\nb\n\xF0\x9F\x98\x80", "story");
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("story line 3"), std::string::npos) << e.what();
  }
}

TEST(DemoScore, NotesLengthsAndOctaves) {
  const Tune t = parseScore("# a tune\ntempo 90\ntrack 5 2: o4 l8 c d4 e-. r > c+ < b16\n");
  EXPECT_EQ(t.tempo, 90);
  ASSERT_EQ(t.tracks.size(), 1u);
  const auto& n = t.tracks[0].notes;
  ASSERT_EQ(n.size(), 5u);
  EXPECT_EQ(n[0].key, 60);
  EXPECT_DOUBLE_EQ(n[0].length, 0.5);
  EXPECT_EQ(n[1].key, 62);
  EXPECT_DOUBLE_EQ(n[1].length, 1.0);
  EXPECT_EQ(n[2].key, 63);
  EXPECT_DOUBLE_EQ(n[2].length, 0.75);
  EXPECT_DOUBLE_EQ(n[3].start, 0.5 + 1.0 + 0.75 + 0.5);
  EXPECT_EQ(n[3].key, 73);
  EXPECT_EQ(n[4].key, 71);
  EXPECT_DOUBLE_EQ(n[4].length, 0.25);
  EXPECT_EQ(t.beats(), 4);
  for (const char* bad : {"track 200 0: c", "track 1 0 c", "tempo 0", "track 1 0: x", "melody c d"}) {
    EXPECT_THROW(parseScore(bad), std::runtime_error) << bad;
  }
}

TEST(DemoScore, MidiFileLayout) {
  const std::vector<uint8_t> m = writeMidiFile(parseScore("tempo 120\ntrack 0 0: c4\n"));
  const std::vector<uint8_t> head = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 0x01, 0xE0};
  ASSERT_GE(m.size(), head.size());
  EXPECT_TRUE(std::equal(head.begin(), head.end(), m.begin()));
  // Tempo track: 500000 us a beat.
  const std::vector<uint8_t> tempo = {'M', 'T', 'r', 'k', 0, 0, 0, 11, 0, 0xFF, 0x51, 3, 0x07, 0xA1, 0x20,
                                      0, 0xFF, 0x2F, 0};
  EXPECT_TRUE(std::equal(tempo.begin(), tempo.end(), m.begin() + 14));
  // Program, note on at 0, note off 480 ticks (0x83 0x60) later, the end of
  // the track on the bar's end 1440 ticks (0x8B 0x20) after it.
  const std::vector<uint8_t> track = {0, 0xC0, 0, 0, 0x90, 60, 100, 0x83, 0x60, 0x80, 60, 0, 0x8B, 0x20, 0xFF, 0x2F, 0};
  EXPECT_TRUE(std::equal(track.begin(), track.end(), m.end() - static_cast<long>(track.size())));
}

TEST(DemoScore, PhrasesRepeatsContinuedLinesAndVelocity) {
  const Tune t = parseScore(
      "tempo 120\n"
      "phrase riff: o4 c8 | d8\n"
      "phrase twice: [$riff]2\n"
      "track 0 0: v40 $twice\n"
      "  e4 [f16 [g16]2]2\n");
  ASSERT_EQ(t.tracks.size(), 1u);
  const auto& n = t.tracks[0].notes;
  ASSERT_EQ(n.size(), 11u);  // c d c d e, then f g g f g g
  EXPECT_EQ(n[2].key, 60);
  EXPECT_DOUBLE_EQ(n[4].start, 2.0);
  EXPECT_EQ(n[4].key, 64);
  EXPECT_EQ(n[10].key, 67);
  EXPECT_DOUBLE_EQ(n[10].start + n[10].length, 4.5);
  EXPECT_EQ(n[0].velocity, 40);
  for (const char* bad : {"track 0 0: $nothing", "track 0 0: [c d", "track 0 0: c d]2", "track 0 0: [c]0",
                          "track 0 0: [c]65", "track 0 0: v0 c", "phrase a: $a\ntrack 0 0: $a", "phrase : c"}) {
    EXPECT_THROW(parseScore(bad), std::runtime_error) << bad;
  }
}

TEST(DemoScore, TheTitleThemeLoopsWholeAndReadsAsTheMusicPlayerReadsIt) {
  const Sources sources(DEMODATA_SOURCE_FOLDER);
  const Tune tune = parseScore(sources.read("music/title.mml"));
  const std::vector<uint8_t> file = writeMidiFile(tune);
  platform::midi::MidiData found;
  ASSERT_TRUE(platform::midi::FindMidiData(file.data(), file.size(), &found));
  EXPECT_EQ(found.format, 1);
  EXPECT_EQ(found.ticks, static_cast<uint32_t>(tune.beats()) * 480u);
  const Pcm pcm = renderTune(tune, 2);
  EXPECT_EQ(pcm.channels, 2);
  const size_t pass = static_cast<size_t>(tune.beats() * 60.0 / tune.tempo * kSampleRate);
  ASSERT_EQ(pcm.frames(), 2 * pass);
  // The passes are the same samples, so that the game's loop has no seam.
  for (size_t k = 0; k < pass * 2; k += 997) ASSERT_EQ(pcm.samples[k], pcm.samples[k + pass * 2]) << k;
}

TEST(DemoEncoders, SameInputSameBytes) {
  const Pcm pcm = chime({440, 660}, 0.05);
  const auto a = encodeVorbis(pcm, 7), b = encodeVorbis(pcm, 7);
  EXPECT_EQ(a, b);
  EXPECT_EQ(checkFileBytes("x.ogg", a), "");
  Canvas c(40, 30);
  c.clouds(3, 10, 0.5, {255, 255, 255, 200});
  EXPECT_EQ(c.png(true), c.png(true));
  EXPECT_EQ(checkFileBytes("x.png", c.png(true)), "");
  EXPECT_EQ(checkFileBytes("x.png", c.png(false)), "a PNG that is not 8-bit RGBA");
  EXPECT_EQ(checkFileBytes("x.jpg", c.jpeg(85)), "");
  EXPECT_EQ(checkFileBytes("x.jpg", c.png(true)), "not a JPEG");
  EXPECT_EQ(checkFileBytes("x.ogg", c.png(true)), "not an Ogg file");
  EXPECT_EQ(checkFileBytes("x.ogv", a), "an Ogg file without Theora");
  EXPECT_EQ(checkFileBytes("x.ogv", c.png(true)), "not an Ogg file");
}

TEST(DemoCanvas, NoPureBlackLeftAndTextNeedsAFace) {
  Canvas c(4, 4, {0, 0, 0, 255});
  c.set(1, 1, {0, 0, 1, 255});
  c.avoidPureBlack();
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      const Rgba p = c.at(x, y);
      EXPECT_NE(p.r + p.g + p.b, 0);
    }
  Canvas t(64, 32);
  ASSERT_TRUE(t.text(0, 0, "渡り", 24, {255, 255, 255, 255}));
  EXPECT_GT(t.textWidth("渡り", 24), 30);
}

TEST(DemoCanvas, PicturesReadBackAndTextFitsItsBox) {
  Canvas c(9, 5);
  c.set(0, 0, {10, 20, 30, 40});
  c.set(8, 4, {250, 200, 150, 255});
  const auto png = Canvas::decode(c.png(true));
  ASSERT_TRUE(png);
  EXPECT_EQ(png->width(), 9);
  EXPECT_EQ(png->at(0, 0).a, 40);
  EXPECT_EQ(png->at(8, 4).g, 200);
  const auto bmp = Canvas::decode(c.bmp());
  ASSERT_TRUE(bmp);
  EXPECT_EQ(bmp->at(8, 4).r, 250);
  EXPECT_EQ(bmp->at(8, 4).a, 255);
  Canvas flat(16, 16, {200, 40, 40, 255});
  const auto jpeg = Canvas::decode(flat.jpeg(90));
  ASSERT_TRUE(jpeg);
  EXPECT_NEAR(jpeg->at(8, 8).r, 200, 6);
  const std::vector<uint8_t> whole = c.png(true);
  for (const std::vector<uint8_t>& bad :
       {std::vector<uint8_t>{}, std::vector<uint8_t>{'B', 'M', 1}, std::vector<uint8_t>(whole.begin(), whole.begin() + 40)}) {
    EXPECT_FALSE(Canvas::decode(bad));
  }
  // A label too long for its box is written smaller, inside it.
  Canvas box(200, 40);
  TextStyle s;
  s.px = 30;
  box.writeInBox(50, 10, 100, 20, "ステージセレクト", s);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 200; ++x)
      if (box.at(x, y).a > 40) {
        EXPECT_GE(x, 48);
        EXPECT_LT(x, 152);
      }
}

TEST(DemoGenerators, EachListedOnceWithItsFunction) {
  const auto& g = allGenerators();
  ASSERT_GE(g.size(), 4u);
  EXPECT_STREQ(g[0].name, "makeDataFolders");
  for (const Generator& x : g) EXPECT_NE(x.run, nullptr) << x.name;
}

}  // namespace
}  // namespace demodata
