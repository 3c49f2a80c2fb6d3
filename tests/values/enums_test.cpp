#include "tavrix/values/enums.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "tavrix/values/result.h"

namespace tavrix {
namespace {

TEST(EnumLookup, FromValueFindsOnlyDeclaredCodes) {
  EXPECT_EQ(fromValue<Ctrl>(1), Ctrl::LOCK);
  EXPECT_EQ(fromValue<Ctrl>(2), Ctrl::UNLOCK);
  EXPECT_EQ(fromValue<Ctrl>(0), std::nullopt);
  EXPECT_EQ(fromValue<Ctrl>(3), std::nullopt);
  EXPECT_EQ(fromValue<UserType>(254), UserType::SUPERVISOR);
  EXPECT_EQ(fromValue<UserType>(2), std::nullopt);
  EXPECT_EQ(fromValue<CV>(3300), CV::MEDIUM);
  EXPECT_EQ(fromValue<CV>(3301), std::nullopt);
  EXPECT_EQ(fromValue<Met>(3), Met::TIMER);
}

TEST(EnumLookup, FromNameIsExactAndCaseSensitive) {
  EXPECT_EQ(fromName<CustomDataConfig>("READ"), CustomDataConfig::READ);
  EXPECT_EQ(fromName<CustomDataConfig>("WRITE"), CustomDataConfig::WRITE);
  for (const char* miss : {"Read", "write", "WRITE ", " READ", ""}) {
    EXPECT_EQ(fromName<CustomDataConfig>(miss), std::nullopt) << '"' << miss << '"';
  }
}

TEST(EnumLookup, ConstantsKeepDeclarationOrderWithNamesCodesAndOrdinals) {
  const auto cv = constants<CV>();
  ASSERT_EQ(cv.size(), 3u);
  EXPECT_EQ(cv[0].constant, CV::LOW);
  EXPECT_EQ(cv[2].constant, CV::HIGH);
  EXPECT_EQ(value(CV::LOW), 3000);
  EXPECT_EQ(value(CV::HIGH), 3600);
  EXPECT_EQ(value(UserType::SUPERVISOR), 0xFE);
  EXPECT_EQ(value(CustomDataConfig::READ), 2u);
  EXPECT_EQ(name(UserType::SUPERVISOR), "SUPERVISOR");
  EXPECT_EQ(ordinal(Ctrl::UNLOCK), 1);
  EXPECT_EQ(ordinal(Result::UNAUTHORIZED), 2);
  EXPECT_EQ(name(Result::ERROR), "ERROR");
  EXPECT_EQ(fromName<Result>("OK"), Result::OK);
}

TEST(EnumLookup, LookupsFromManyThreadsAgree) {
  std::vector<std::thread> threads;
  std::vector<int> hits(8, 0);
  for (std::size_t t = 0; t < hits.size(); ++t) {
    threads.emplace_back([&hits, t] {
      for (int i = 0; i < 1000; ++i) {
        hits[t] += fromValue<UserType>(254) == UserType::SUPERVISOR &&
                   fromName<CustomDataConfig>("WRITE") == CustomDataConfig::WRITE;
      }
    });
  }
  for (auto& th : threads) {
    th.join();
  }
  for (int h : hits) {
    EXPECT_EQ(h, 1000);
  }
}

TEST(OutcomeTest, ValueIsPresentExactlyWhenOk) {
  const auto ok = Outcome<int>::ok(7);
  EXPECT_EQ(ok.result(), Result::OK);
  EXPECT_EQ(ok.value(), 7);
  const auto refused = Outcome<int>::failed(Result::UNAUTHORIZED);
  EXPECT_EQ(refused.result(), Result::UNAUTHORIZED);
  EXPECT_FALSE(refused.value().has_value());
  EXPECT_THROW(Outcome<int>::failed(Result::OK), std::invalid_argument);
}

}  // namespace
}  // namespace tavrix
