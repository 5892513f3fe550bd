// Every test of a program that includes this runs in a game session of its
// own, made before the test's fixture and gone after it.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "game/core/session.h"

namespace game::test {

class FreshSession : public ::testing::EmptyTestEventListener {
 public:
  void OnTestStart(const ::testing::TestInfo&) override {
    session_ = std::make_unique<GameSession>();
    scope_ = std::make_unique<SessionScope>(*session_);
  }
  void OnTestEnd(const ::testing::TestInfo&) override {
    scope_.reset();
    session_.reset();
  }

 private:
  std::unique_ptr<GameSession> session_;
  std::unique_ptr<SessionScope> scope_;
};

inline const bool kFreshSessionInstalled = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new FreshSession);
  return true;
}();

}  // namespace game::test
