// Every test of the program runs in a game session of its own with a story
// of its own installed, made before the test's fixture and gone after it.
#include <gtest/gtest.h>

#include <memory>

#include "game/core/session.h"
#include "game/story/story_screen.h"

namespace game::story {
namespace {

class FreshStory : public ::testing::EmptyTestEventListener {
 public:
  void OnTestStart(const ::testing::TestInfo&) override {
    session_ = std::make_unique<GameSession>();
    story_ = std::make_unique<StoryScreen>();
    session_->story = story_.get();
    scope_ = std::make_unique<SessionScope>(*session_);
  }
  void OnTestEnd(const ::testing::TestInfo&) override {
    scope_.reset();
    story_.reset();
    session_.reset();
  }

 private:
  std::unique_ptr<GameSession> session_;
  std::unique_ptr<StoryScreen> story_;
  std::unique_ptr<SessionScope> scope_;
};

const bool kInstalled = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new FreshStory);
  return true;
}();

}  // namespace
}  // namespace game::story
