#include <gtest/gtest.h>

#include <random>

#include "commands/variables.h"
#include "store/text.h"

namespace {

// The plain model: one replaceAll per variable, in definition order.
std::string naive(const tav::CommandVariables& vars, std::string text) {
  for (std::size_t i = 0; i < vars.size(); ++i) tav::replaceAll(text, vars.names[i], vars.values[i]);
  return text;
}

std::string randomText(std::mt19937& rng, std::size_t maxLen, const char* alphabet) {
  std::size_t n = rng() % (maxLen + 1);
  std::string s;
  for (std::size_t i = 0; i < n; ++i) s += alphabet[rng() % std::char_traits<char>::length(alphabet)];
  return s;
}

// Names and values over a tiny alphabet, so that names overlap, values hold
// names and replacements form new names at their edges.
TEST(Variables, SubstitutionMatchesOneReplaceAllPerVariableInOrder) {
  std::mt19937 rng(12345);
  for (int round = 0; round < 3000; ++round) {
    tav::CommandVariables vars;
    int count = 1 + static_cast<int>(rng() % 6);
    for (int k = 0; k < count; ++k)
      tav::defineVariable(vars, "?" + randomText(rng, 3, "ab?"), randomText(rng, 4, "ab?"));
    std::string text = randomText(rng, 14, "ab?");
    std::string got = text;
    ASSERT_TRUE(tav::substituteVariables(vars, got, 1 << 20));
    ASSERT_EQ(got, naive(vars, text)) << "round " << round << " text " << text;
  }
}

TEST(Variables, DefinitionKeepsOrderAndReplacesValues) {
  tav::CommandVariables vars;
  EXPECT_EQ(tav::defineVariable(vars, "?a", std::string("1")), 0);
  EXPECT_EQ(tav::defineVariable(vars, "?b", std::nullopt), 0);  // absent: nothing
  EXPECT_EQ(tav::defineVariable(vars, "?A", std::string("2")), 0);
  EXPECT_EQ(tav::defineVariable(vars, "?a", std::string("3")), 0);
  ASSERT_EQ(vars.size(), 2u);
  EXPECT_EQ(vars.names[0], "?a?");
  EXPECT_EQ(*vars.find("?a?"), "3");
  EXPECT_EQ(*vars.find("?A?"), "2");
  EXPECT_EQ(vars.find("?b?"), nullptr);
}

TEST(Variables, GrowthBeyondTheLimitIsRefusedAndLeavesTheText) {
  tav::CommandVariables vars;
  tav::defineVariable(vars, "?x", std::string(600, 'x'));
  std::string text = "?x??x?";
  EXPECT_FALSE(tav::substituteVariables(vars, text, 1000));
  EXPECT_EQ(text, "?x??x?");
  EXPECT_TRUE(tav::substituteVariables(vars, text, 1200));
  EXPECT_EQ(text.size(), 1200u);
}

TEST(Variables, AllNamesAndValuesOfARunStayWithinTheirBudget) {
  tav::CommandVariables vars;
  const std::string big(1u << 20, 'x');
  int defined = 0;
  for (int i = 0; i < 40; ++i) {
    tav::defineVariable(vars, "?c" + std::to_string(i), big);
    defined += vars.find("?c" + std::to_string(i) + "?") != nullptr;
  }
  EXPECT_LE(vars.bytes, tav::kMaxVariableBytes);
  EXPECT_GE(defined, 10);
  EXPECT_LT(defined, 40);
  // A refused redefinition keeps the old value; a smaller value frees room.
  tav::defineVariable(vars, "?c0", big + big);
  EXPECT_EQ(vars.find("?c0?")->size(), big.size());
  tav::defineVariable(vars, "?c0", std::string("s"));
  EXPECT_EQ(*vars.find("?c0?"), "s");
  tav::defineVariable(vars, "?c39", big);
  EXPECT_NE(vars.find("?c39?"), nullptr);
  vars.clear();
  EXPECT_EQ(vars.bytes, 0u);
}

}  // namespace

// Long runs of empty values, and a long name that no value can form, once
// made the batch check's windows cost the square of the text (minutes for a
// large note); the substitution must stay exact and within its work.
TEST(Variables, LongRunsOfEmptyValuesAndLongNamesStayExact) {
  {
    tav::CommandVariables vars;
    tav::defineVariable(vars, "?a", std::string());
    tav::defineVariable(vars, "?b", std::string("x"));
    std::string text;
    for (int i = 0; i < 50000; ++i) text += "?a?";
    text += "?b?";
    std::string got = text;
    ASSERT_TRUE(tav::substituteVariables(vars, got, 1 << 20));
    EXPECT_EQ("x", got);
  }
  {
    tav::CommandVariables vars;
    tav::defineVariable(vars, "?a", std::string("xxxx"));
    tav::defineVariable(vars, "?b", std::string("y"));
    tav::defineVariable(vars, "?" + std::string(400000, ' '), std::string("z"));
    std::string text;
    for (int i = 0; i < 12000; ++i) text += "?a?";
    text += "?b?";
    std::string got = text;
    ASSERT_TRUE(tav::substituteVariables(vars, got, 1 << 20));
    EXPECT_EQ(naive(vars, text), got);
  }
}
