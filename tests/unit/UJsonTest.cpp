// UJson: the lenient parser, the compact writer, member order and the
// field, array and reading operations.
#include "json/UJson.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "json/UJsonTable.h"

namespace {

constexpr std::int64_t Int64Max = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t Int64Min = std::numeric_limits<std::int64_t>::min();

// The compact text of what Text parses to, or "<invalid>".
std::u16string Reparsed(std::u16string_view Text) {
  const TJsonPtr Value = ParseJson(Text);
  return Value ? ToJsonText(Value) : u"<invalid>";
}

bool Valid(std::u16string_view Text) { return static_cast<bool>(ParseJson(Text)); }

std::u16string Nested(int Levels, std::u16string_view Inner) {
  return std::u16string(static_cast<std::size_t>(Levels), u'[') + std::u16string(Inner) +
         std::u16string(static_cast<std::size_t>(Levels), u']');
}

std::u16string Written(double Value) { return ToJsonText(NewDouble(Value)); }
std::u16string WrittenCurrency(std::int64_t Units) { return ToJsonText(NewCurrency(Units)); }

// ---- Key hash and member order -------------------------------------------

TEST(JsonKeyHash, KnownKeys) {
  EXPECT_EQ(JsonKeyHash(u"ok"), 0x57EE38DCu);
  EXPECT_EQ(JsonKeyHash(u"id"), 0x57EE35CFu);
  EXPECT_EQ(JsonKeyHash(u"serverTime"), 0x70ED6330u);
  EXPECT_EQ(JsonKeyHash(u"error"), 0x4C8125AFu);
  EXPECT_EQ(JsonKeyHash(u""), 0u);
}

TEST(JsonKeyHash, UsesWholeCodeUnits) {
  EXPECT_NE(JsonKeyHash(u"\u0141"), JsonKeyHash(u"\u0041"));
}

TEST(JsonMemberOrder, TestAnswerOrderDoesNotDependOnInsertion) {
  const TJsonPtr First = NewObject();
  PutString(First, u"ok", u"1");
  PutString(First, u"serverTime", u"T");
  const TJsonPtr Second = NewObject();
  PutString(Second, u"serverTime", u"T");
  PutString(Second, u"ok", u"1");
  EXPECT_EQ(ToJsonText(First), u"{\"serverTime\":\"T\",\"ok\":\"1\"}");
  EXPECT_EQ(ToJsonText(Second), ToJsonText(First));
  PutString(First, u"id", u"7");
  EXPECT_EQ(ToJsonText(First), u"{\"serverTime\":\"T\",\"ok\":\"1\",\"id\":\"7\"}");
}

std::vector<std::u16string> KeysInOrder(const TJsonPtr& Object) {
  std::vector<std::u16string> Keys;
  ForEachMember(Object, [&](std::u16string_view Key, const TJsonPtr&) { Keys.emplace_back(Key); });
  return Keys;
}

TEST(JsonMemberOrder, EqualHashesOrderByKeyCodeUnits) {
  // A first unit one higher is made up by a last unit 129 lower.
  const std::u16string High = u"ba";
  const std::u16string Low = std::u16string(u"a") + char16_t(u'a' + 129);
  ASSERT_EQ(JsonKeyHash(High), JsonKeyHash(Low));
  const TJsonPtr Object = NewObject();
  PutInteger(Object, High, 1);
  PutInteger(Object, Low, 2);
  EXPECT_EQ(KeysInOrder(Object), (std::vector<std::u16string>{Low, High}));
  EXPECT_EQ(AsInteger(GetField(Object, High)), 1);
  EXPECT_EQ(AsInteger(GetField(Object, Low)), 2);
}

TEST(JsonMemberOrder, PrefixComesFirstOnEqualHash) {
  const std::u16string Short = u"\u065F\u0055\u0048";
  const std::u16string Long = Short + u"\u007F";
  ASSERT_EQ(JsonKeyHash(Short), JsonKeyHash(Long));
  const TJsonPtr Object = NewObject();
  PutInteger(Object, Long, 2);
  PutInteger(Object, Short, 1);
  EXPECT_EQ(KeysInOrder(Object), (std::vector<std::u16string>{Short, Long}));
  EXPECT_EQ(AsInteger(GetField(Object, Short)), 1);
  EXPECT_EQ(AsInteger(GetField(Object, Long)), 2);
}

// Height of an entry's subtree; clears Sound when a balance factor is not
// the real height difference or leaves -1..+1.
int CheckedHeight(const TJsonAvlEntry* Entry, bool& Sound) {
  if (!Entry) return 0;
  const int Left = CheckedHeight(Entry->Left.get(), Sound);
  const int Right = CheckedHeight(Entry->Right.get(), Sound);
  if (Entry->Balance != Right - Left || std::abs(Right - Left) > 1) Sound = false;
  return std::max(Left, Right) + 1;
}

bool ComesBefore(const std::u16string& A, const std::u16string& B) {
  const std::uint32_t HashA = JsonKeyHash(A);
  const std::uint32_t HashB = JsonKeyHash(B);
  return HashA != HashB ? HashA > HashB : A < B;
}

// 0: member order, 1: reverse member order, others: shuffled by that seed.
class JsonMemberTable : public testing::TestWithParam<int> {
 protected:
  std::vector<std::u16string> Keys() const {
    std::vector<std::u16string> Result;
    for (char16_t A = u'a'; A <= u'z'; ++A)
      for (char16_t B = u'0'; B <= u'9'; ++B) Result.push_back(std::u16string{u'k', A, B});
    std::sort(Result.begin(), Result.end(), ComesBefore);
    if (GetParam() == 1) std::reverse(Result.begin(), Result.end());
    if (GetParam() > 1) std::shuffle(Result.begin(), Result.end(), std::mt19937(static_cast<unsigned>(GetParam())));
    return Result;
  }
};

TEST_P(JsonMemberTable, StaysBalancedAndInMemberOrder) {
  const auto Keys = this->Keys();
  TJsonAvlTree Table;
  for (std::size_t I = 0; I < Keys.size(); ++I) {
    Table.Put(Keys[I], NewInteger(static_cast<std::int64_t>(I)));
    bool Sound = true;
    CheckedHeight(Table.Root(), Sound);
    ASSERT_TRUE(Sound) << "after " << I + 1 << " insertions";
  }
  bool Sound = true;
  const int Height = CheckedHeight(Table.Root(), Sound);
  EXPECT_LE(Height, 1.45 * std::log2(double(Keys.size()) + 2));
  EXPECT_EQ(Table.Count(), Keys.size());
  std::vector<std::u16string> Visited;
  Table.Visit([&](const TJsonAvlEntry& Entry) { Visited.push_back(Entry.Key); });
  EXPECT_TRUE(std::is_sorted(Visited.begin(), Visited.end(), ComesBefore));
  EXPECT_EQ(Visited.size(), Keys.size());
  for (std::size_t I = 0; I < Keys.size(); ++I) EXPECT_EQ(AsInteger(Table.Find(Keys[I])), std::int64_t(I));
  EXPECT_FALSE(Table.Find(u"k"));
  EXPECT_FALSE(Table.Find(u"ka00"));
}

INSTANTIATE_TEST_SUITE_P(InsertionOrders, JsonMemberTable, testing::Values(0, 1, 2, 3, 4));

// ---- Objects ---------------------------------------------------------------

TEST(JsonObject, PutReplacesAndKeepsCount) {
  const TJsonPtr Object = NewObject();
  PutInteger(Object, u"a", 1);
  PutString(Object, u"a", u"x");
  EXPECT_EQ(MemberCount(Object), 1u);
  EXPECT_EQ(Kind(GetField(Object, u"a")), TJsonKind::String);
  EXPECT_EQ(ToJsonText(Object), u"{\"a\":\"x\"}");
}

TEST(JsonObject, LaterDuplicateKeyWinsWhenParsed) {
  const TJsonPtr Object = ParseJson(u"{\"a\":1,\"b\":2,\"a\":3}");
  EXPECT_EQ(MemberCount(Object), 2u);
  EXPECT_EQ(AsInteger(GetField(Object, u"a")), 3);
}

TEST(JsonObject, GetFieldIsExact) {
  const TJsonPtr Object = ParseJson(u"{\"Query\":1,\"n\":null}");
  EXPECT_FALSE(GetField(Object, u"query"));
  EXPECT_TRUE(GetField(Object, u"Query"));
  const TJsonPtr Null = GetField(Object, u"n");
  ASSERT_TRUE(Null);  // a JSON null is a value, not nothing
  EXPECT_EQ(Kind(Null), TJsonKind::Null);
}

TEST(JsonObject, OperationsOnOtherKindsChangeNothing) {
  const TJsonPtr Array = NewArray();
  PutString(Array, u"a", u"b");
  PutValue(TJsonPtr(), u"a", NewNull());
  EXPECT_EQ(ToJsonText(Array), u"[]");
  EXPECT_FALSE(GetField(Array, u"a"));
  EXPECT_FALSE(GetField(ParseJson(u"\"a\""), u"a"));
  EXPECT_FALSE(GetField(TJsonPtr(), u"a"));
  EXPECT_EQ(MemberCount(Array), 0u);
}

TEST(JsonObject, PutValueOfNothingStoresNull) {
  const TJsonPtr Object = NewObject();
  PutValue(Object, u"a", TJsonPtr());
  ASSERT_TRUE(GetField(Object, u"a"));
  EXPECT_EQ(ToJsonText(Object), u"{\"a\":null}");
}

TEST(JsonObject, SharedValueLivesInEveryHolder) {
  const TJsonPtr Inner = NewArray();
  ArrayAppend(Inner, NewInteger(1));
  const TJsonPtr Outer = NewObject();
  PutValue(Outer, u"x", Inner);
  PutValue(Outer, u"y", Inner);
  ArrayAppend(Inner, NewInteger(2));  // seen through both members
  EXPECT_EQ(ToJsonText(Outer), ToJsonText(ParseJson(u"{x:[1,2],y:[1,2]}")));
  PutInteger(Outer, u"x", 0);  // releases one share only
  EXPECT_EQ(ArrayLength(GetField(Outer, u"y")), 2u);
}

TEST(JsonObject, HandlesMayBeCopiedAndDroppedOnSeveralThreads) {
  const TJsonPtr Shared = ParseJson(u"{a:[1,2,3]}");
  std::vector<std::thread> Threads;
  for (int T = 0; T < 4; ++T)
    Threads.emplace_back([Shared] {
      for (int I = 0; I < 20000; ++I) {
        TJsonPtr Copy = Shared;
        TJsonPtr Member = GetField(Copy, u"a");
        Copy = Member;
      }
    });
  for (auto& Thread : Threads) Thread.join();
  EXPECT_EQ(ToJsonText(Shared), u"{\"a\":[1,2,3]}");
}

// ---- Arrays ----------------------------------------------------------------

TEST(JsonArray, AppendAndRead) {
  const TJsonPtr Array = NewArray();
  for (int I = 0; I < 100; ++I) ArrayAppend(Array, NewInteger(I));
  EXPECT_EQ(ArrayLength(Array), 100u);
  EXPECT_EQ(AsInteger(ArrayItem(Array, 99)), 99);
  EXPECT_FALSE(ArrayItem(Array, 100));
  EXPECT_FALSE(ArrayItem(Array, std::numeric_limits<std::size_t>::max()));
}

TEST(JsonArray, PutAtBeyondLengthLeavesEmptyPositions) {
  const TJsonPtr Array = NewArray();
  ArrayAppend(Array, NewInteger(1));
  ArrayPutAt(Array, 3, NewString(u"x"));
  EXPECT_EQ(ArrayLength(Array), 4u);
  EXPECT_FALSE(ArrayItem(Array, 1));
  EXPECT_EQ(ToJsonText(Array), u"[1,null,null,\"x\"]");
  ArrayPutAt(Array, 0, NewBoolean(true));
  EXPECT_EQ(ToJsonText(Array), u"[true,null,null,\"x\"]");
  EXPECT_EQ(ArrayLength(Array), 4u);
}

TEST(JsonArray, PutAtTheLargestIndexThrowsInsteadOfWrapping) {
  const TJsonPtr Array = NewArray();
  EXPECT_THROW(ArrayPutAt(Array, std::numeric_limits<std::size_t>::max(), NewNull()), std::length_error);
  EXPECT_EQ(ArrayLength(Array), 0u);
}

TEST(JsonArray, OperationsOnOtherKindsChangeNothing) {
  const TJsonPtr Object = NewObject();
  ArrayAppend(Object, NewNull());
  ArrayPutAt(Object, 0, NewNull());
  EXPECT_EQ(ArrayLength(Object), 0u);
  EXPECT_FALSE(ArrayItem(Object, 0));
  EXPECT_EQ(ToJsonText(Object), u"{}");
}

// ---- Parsing: values -------------------------------------------------------

TEST(JsonParseNumbers, KindsFollowTheText) {
  EXPECT_EQ(Kind(ParseJson(u"12")), TJsonKind::Integer);
  EXPECT_EQ(Kind(ParseJson(u"1.5")), TJsonKind::Currency);
  EXPECT_EQ(Kind(ParseJson(u"1.23456")), TJsonKind::Double);
  EXPECT_EQ(Kind(ParseJson(u"1e3")), TJsonKind::Double);
  EXPECT_EQ(Kind(ParseJson(u"1.2345")), TJsonKind::Currency);
  EXPECT_EQ(Kind(ParseJson(u"-7.")), TJsonKind::Currency);
  EXPECT_EQ(Kind(ParseJson(u"1.5E0")), TJsonKind::Double);
}

TEST(JsonParseNumbers, CurrencyIsExact) {
  EXPECT_EQ(Reparsed(u"1.2345"), u"1.2345");
  EXPECT_EQ(Reparsed(u"-0.0001"), u"-0.0001");
  EXPECT_EQ(Reparsed(u"922337203685477.5807"), u"922337203685477.5807");
  EXPECT_EQ(Reparsed(u"-922337203685477.5808"), u"-922337203685477.5808");
  EXPECT_EQ(AsDouble(ParseJson(u"0.1")), 0.1);
}

TEST(JsonParseNumbers, IntegersCoverTheWholeRange) {
  EXPECT_EQ(AsInteger(ParseJson(u"9223372036854775807")), Int64Max);
  EXPECT_EQ(AsInteger(ParseJson(u"-9223372036854775808")), Int64Min);
  EXPECT_EQ(AsInteger(ParseJson(u"-0")), 0);
}

TEST(JsonParseNumbers, DoublesReadExactly) {
  EXPECT_EQ(AsDouble(ParseJson(u"1.23456")), 1.23456);
  EXPECT_EQ(AsDouble(ParseJson(u"-1.5e-7")), -1.5e-7);
  EXPECT_EQ(AsDouble(ParseJson(u"1E+2")), 100.0);
}

TEST(JsonParseNumbers, MalformedAndOutOfRangeTextsStillGiveValues) {
  for (std::u16string_view Text : {u"1-2", u"-", u"1.2.3", u"1e", u"--", u"1e5e5", u"99999999999999999999",
                                   u"1e999", u"-1e999", u"1e-999", u"0.0e99999999999999999999", u"1.23456789012"})
    EXPECT_TRUE(Valid(Text)) << std::string(Text.begin(), Text.end());
  EXPECT_EQ(AsDouble(ParseJson(u"1e999")), std::numeric_limits<double>::max());
  EXPECT_EQ(AsDouble(ParseJson(u"-1e999")), -std::numeric_limits<double>::max());
  EXPECT_EQ(AsDouble(ParseJson(u"1.79769313486232e+308")), std::numeric_limits<double>::max());
  EXPECT_EQ(AsDouble(ParseJson(u"1e-999")), 0.0);
  EXPECT_EQ(AsDouble(ParseJson(u"0.0e99999999999999999999")), 0.0);
  EXPECT_EQ(ToJsonText(ParseJson(u"[1e999]")), u"[1.79769313486232e+308]");
}

TEST(JsonParseStrings, BothQuoteKindsAndEscapes) {
  EXPECT_EQ(AsText(ParseJson(u"'it''s'")), u"it");
  EXPECT_EQ(AsText(ParseJson(u"'say \"hi\"'")), u"say \"hi\"");
  EXPECT_EQ(AsText(ParseJson(u"\"it's\"")), u"it's");
  EXPECT_EQ(AsText(ParseJson(u"\"\\b\\f\\n\\r\\t\\\"\\'\\\\\\/\"")), u"\b\f\n\r\t\"'\\/");
  EXPECT_EQ(AsText(ParseJson(u"\"\\u0441\\u00E9\\x41\\xfF\\q\"")), u"\u0441\u00E9A\u00FFq");
  EXPECT_EQ(AsText(ParseJson(u"\"\\u0000x\"")), std::u16string(u"\0x", 2));
}

TEST(JsonParseStrings, ControlCharactersStandAsTheyAre) {
  EXPECT_EQ(AsText(ParseJson(u"\"a\nb\tc\u0001\"")), u"a\nb\tc\u0001");
}

TEST(JsonParseStrings, BadEscapesAndOpenStringsAreInvalid) {
  for (std::u16string_view Text : {u"\"\\u12G4\"", u"\"\\u12\"", u"\"\\x4\"", u"\"\\xG0\"", u"\"abc", u"'abc\"",
                                   u"\"abc\\", u"[\\u00zz]", u"{a\\x:1}"})
    EXPECT_FALSE(Valid(Text)) << std::string(Text.begin(), Text.end());
}

TEST(JsonParseKeywords, ExactKeywords) {
  EXPECT_EQ(Kind(ParseJson(u"null")), TJsonKind::Null);
  EXPECT_EQ(Reparsed(u"[true,false,null]"), u"[true,false,null]");
}

TEST(JsonParseKeywords, OtherSpellingsAreWords) {
  EXPECT_EQ(Reparsed(u"[Null,TRUE,False,nul,tru,nulL]"), u"[\"Null\",\"TRUE\",\"False\",\"nul\",\"tru\",\"nulL\"]");
  EXPECT_EQ(Reparsed(u"[nullx,true_,false.5]"), u"[\"nullx\",\"true_\",\"false.5\"]");
  EXPECT_FALSE(Valid(u"[null value]"));  // a blank ends the keyword
  EXPECT_EQ(Reparsed(u"nothing at all"), u"\"nothing at all\"");
  EXPECT_EQ(Reparsed(u"{a:nul}"), u"{\"a\":\"nul\"}");
}

TEST(JsonParseKeywords, KeywordEndsBeforeOtherCharacters) {
  EXPECT_EQ(Reparsed(u"null5"), u"null");  // the rest is after the value
  EXPECT_EQ(Reparsed(u"true-"), u"true");
  EXPECT_FALSE(Valid(u"[null5]"));
  EXPECT_EQ(Reparsed(u"[true ]"), u"[true]");
}

TEST(JsonParseWords, RunToTheClosingBracketOrComma) {
  EXPECT_EQ(Reparsed(u"[a b , c d]"), u"[\"a b\",\"c d\"]");
  const TJsonPtr Object = ParseJson(u"{k:some text , m: x}");
  EXPECT_EQ(AsText(GetField(Object, u"k")), u"some text");
  EXPECT_EQ(AsText(GetField(Object, u"m")), u"x");
  EXPECT_EQ(Reparsed(u"[a}b]"), u"[\"a}b\"]");
  EXPECT_EQ(Reparsed(u"{k:a]b}"), u"{\"k\":\"a]b\"}");
  EXPECT_EQ(AsText(ArrayItem(ParseJson(u"[a/*b*/]"), 0)), u"a/*b*/");
}

TEST(JsonParseWords, TrailingSpacesCrAndLfAreRemovedButNotTabs) {
  EXPECT_EQ(AsText(ArrayItem(ParseJson(u"[ab \r\n ]"), 0)), u"ab");
  EXPECT_EQ(AsText(ArrayItem(ParseJson(u"[ab\t]"), 0)), u"ab\t");
  EXPECT_EQ(AsText(ParseJson(u"word  \n")), u"word");
}

TEST(JsonParseWords, EscapesApplyAndEscapedBlanksStay) {
  EXPECT_EQ(Reparsed(u"[a\\,b,c\\]d]"), u"[\"a,b\",\"c]d\"]");
  EXPECT_EQ(AsText(ArrayItem(ParseJson(u"[a\\u0041\\ ]"), 0)), u"aA ");
  EXPECT_EQ(AsText(ArrayItem(ParseJson(u"[a\\n]"), 0)), u"a\n");
}

TEST(JsonParseWords, TopLevelWordRunsToTheEndWithCommentMarks) {
  EXPECT_EQ(AsText(ParseJson(u"abc // not a comment ] , }")), u"abc // not a comment ] , }");
}

TEST(JsonParseWords, EmptyWords) {
  EXPECT_EQ(Reparsed(u"[,]"), u"[\"\"]");
  EXPECT_EQ(Reparsed(u"[1,,2]"), u"[1,\"\",2]");
  EXPECT_EQ(Reparsed(u"{a:,b:}"), Reparsed(u"{\"a\":\"\",\"b\":\"\"}"));
  EXPECT_EQ(MemberCount(ParseJson(u"{a:,b:}")), 2u);
}

TEST(JsonParseWords, WordWithoutItsContainerEndIsInvalid) {
  EXPECT_FALSE(Valid(u"[abc"));
  EXPECT_FALSE(Valid(u"{a:abc"));
}

TEST(JsonParseText, EmptyOrBlankTextIsAnEmptyString) {
  for (std::u16string_view Text : {u"", u" \t\r\n\f\b", u"/* c */ // d", u"(", u"  ( "}) {
    const TJsonPtr Value = ParseJson(Text);
    ASSERT_TRUE(Value);
    EXPECT_EQ(Kind(Value), TJsonKind::String);
    EXPECT_EQ(AsText(Value), u"");
  }
}

TEST(JsonParseText, TextStopsAtTheFirstNul) {
  EXPECT_EQ(Reparsed(std::u16string(u"[1]\0garbage", 11)), u"[1]");
  EXPECT_FALSE(Valid(std::u16string(u"[1\0]", 4)));
}

TEST(JsonParseText, TextAfterTheValueIsIgnored) {
  EXPECT_EQ(Reparsed(u"{\"a\":1} trailing ] } junk"), u"{\"a\":1}");
  EXPECT_EQ(Reparsed(u"[1]]"), u"[1]");
  EXPECT_EQ(Reparsed(u"\"a\" \"b\""), u"\"a\"");
  EXPECT_EQ(Reparsed(u"12abc"), u"12");
  EXPECT_EQ(Reparsed(u"{} /* open comment"), u"{}");
  EXPECT_EQ(Reparsed(u"{} // line"), u"{}");
  EXPECT_FALSE(Valid(u"{} / x"));
  EXPECT_FALSE(Valid(u"{} /"));
}

TEST(JsonParseText, IncompleteValuesAreInvalid) {
  for (std::u16string_view Text : {u"{\"a\":1", u"{\"a\":1,", u"[1,2", u"[", u"{", u"{\"a\"", u"{\"a\":", u"{a"})
    EXPECT_FALSE(Valid(Text)) << std::string(Text.begin(), Text.end());
}

TEST(JsonParseText, MissingSeparatorsAndWrongBracketsAreInvalid) {
  for (std::u16string_view Text : {u"[1 2]", u"{\"a\" 1}", u"{\"a\":1 \"b\":2}", u"[1}", u"{\"a\":1]", u"[\"a\" x]"})
    EXPECT_FALSE(Valid(Text)) << std::string(Text.begin(), Text.end());
}

TEST(JsonParseBlanks, AllSixBlanksAndCommentsStandAroundTokens) {
  EXPECT_EQ(Reparsed(u"\b\t{\n\"a\"\f:\r[ 1 /*x*/, // y\n 2 ] } "), u"{\"a\":[1,2]}");
  EXPECT_EQ(Reparsed(u"/**/[/* x */1/*/ */]"), u"[1]");
}

TEST(JsonParseBlanks, CommentStarRule) {
  // The character after a star belongs to the comment, even a second star.
  EXPECT_FALSE(Valid(u"/* a **/ 1"));
  EXPECT_EQ(Reparsed(u"/* a ***/ 1"), u"1");
  EXPECT_FALSE(Valid(u"/***/ 1"));
  EXPECT_EQ(Reparsed(u"[/***/1/*/ */]"), u"[\"*\\/\"]");  // the comment runs to "1/*/"
  EXPECT_EQ(Reparsed(u"/* a **/ */ 1"), u"1");
  EXPECT_EQ(Reparsed(u"[/**/1]"), u"[1]");
}

TEST(JsonParseBlanks, SlashWithoutCommentAndOpenCommentBeforeValueAreInvalid) {
  EXPECT_FALSE(Valid(u"/x 1"));
  EXPECT_FALSE(Valid(u"[1,/x]"));
  EXPECT_FALSE(Valid(u"/"));
  EXPECT_FALSE(Valid(u"/* open"));
  EXPECT_FALSE(Valid(u"[1 /* open"));
}

TEST(JsonParseBlanks, LineCommentEndsAtLineFeedOnly) {
  EXPECT_EQ(Reparsed(u"[1 // c\r 2\n]"), u"[1]");
  EXPECT_FALSE(Valid(u"[1 // c\r ]"));
}

TEST(JsonParseStructure, OpeningParenthesisIsSkipped) {
  EXPECT_EQ(Reparsed(u"({\"a\":1})"), u"{\"a\":1}");
  EXPECT_EQ(Reparsed(u"[( 1, ((2]"), u"[1,2]");
  EXPECT_FALSE(Valid(u"[(1)]"));
}

TEST(JsonParseStructure, TrailingCommas) {
  const TJsonPtr Array = ParseJson(u"[1,2,]");
  EXPECT_EQ(ArrayLength(Array), 2u);
  EXPECT_EQ(Reparsed(u"{\"a\":1,}"), u"{\"a\":1}");
  EXPECT_EQ(Reparsed(u"{\"a\":1 , /*c*/ }"), u"{\"a\":1}");
  EXPECT_EQ(Reparsed(u"[1 , ]"), u"[1]");
}

TEST(JsonParseStructure, QuotedAndUnquotedFormsGiveTheSameObject) {
  const std::u16string Strict = Reparsed(u"{\"name\":\"value\",\"list\":[\"a\",\"b\"],\"n\":{\"k\":\"v\"}}");
  EXPECT_EQ(Reparsed(u"{'name':'value','list':['a','b'],'n':{'k':'v'}}"), Strict);
  EXPECT_EQ(Reparsed(u"{name:value,list:[a,b],n:{k:v}}"), Strict);
  EXPECT_EQ(Reparsed(u"{ name : value , list : [ a , b ] , n : { k : v } }"), Reparsed(u"{\"name \":\"value\",\"list \":[\"a\",\"b\"],\"n \":{\"k \":\"v\"}}"));
}

TEST(JsonParseStructure, UnquotedKeyKeepsItsBlanks) {
  const TJsonPtr Object = ParseJson(u"{my key :1}");
  EXPECT_FALSE(GetField(Object, u"my key"));
  EXPECT_EQ(AsInteger(GetField(Object, u"my key ")), 1);
}

TEST(JsonParseStructure, UnquotedKeysTakeEscapesAndAnyOtherCharacter) {
  const TJsonPtr Object = ParseJson(u"{a\\:b:1, 1-2}x:2, \\u0041:3}");
  EXPECT_EQ(AsInteger(GetField(Object, u"a:b")), 1);
  EXPECT_EQ(AsInteger(GetField(Object, u"1-2}x")), 2);
  EXPECT_EQ(AsInteger(GetField(Object, u"A")), 3);
}

TEST(JsonParseStructure, KeysCannotStartWithStructuralCharacters) {
  for (std::u16string_view Text : {u"{(a:1}", u"{)a:1}", u"{,a:1}", u"{.a:1}", u"{:1}", u"{[a:1}", u"{]a:1}",
                                   u"{{a:1}", u"{a:1,,}"})
    EXPECT_FALSE(Valid(Text)) << std::string(Text.begin(), Text.end());
  EXPECT_EQ(Reparsed(u"{ }"), u"{}");
}

TEST(JsonParseStructure, QuotedKeyNeedsItsColon) {
  EXPECT_FALSE(Valid(u"{\"a\" x:1}"));
  EXPECT_EQ(Reparsed(u"{\"a\" /*c*/ :1}"), u"{\"a\":1}");
  EXPECT_EQ(Reparsed(u"{'a':1}"), u"{\"a\":1}");
}

TEST(JsonParseDepth, ThirtyOneLevelsBelowTheTopAreAllowed) {
  EXPECT_TRUE(Valid(Nested(31, u"1")));   // the 1 is at depth 31
  EXPECT_FALSE(Valid(Nested(32, u"1")));  // the 1 is at depth 32
  EXPECT_TRUE(Valid(Nested(32, u"")));    // the innermost array is at depth 31
  EXPECT_FALSE(Valid(Nested(33, u"")));
  EXPECT_FALSE(Valid(Nested(32, u",")));  // an empty word at depth 32
}

TEST(JsonParseDepth, ObjectsCountLikeArrays) {
  std::u16string Text;
  for (int I = 0; I < 31; ++I) Text += u"{a:";
  Text += u"1";
  for (int I = 0; I < 31; ++I) Text += u"}";
  EXPECT_TRUE(Valid(Text));
  EXPECT_FALSE(Valid(u"{a:" + Text + u"}"));
}

TEST(JsonParseDepth, DeepHostileTextIsRefusedQuickly) {
  EXPECT_FALSE(Valid(Nested(100000, u"")));
  EXPECT_FALSE(Valid(std::u16string(100000, u'[')));
}

// ---- Writing ---------------------------------------------------------------

TEST(JsonWrite, EmptyContainers) {
  EXPECT_EQ(ToJsonText(NewObject()), u"{}");
  EXPECT_EQ(ToJsonText(NewArray()), u"[]");
  EXPECT_EQ(ToJsonText(TJsonPtr()), u"null");
}

TEST(JsonWrite, StringsEscapeQuoteSlashBackslashAndEveryControlCharacter) {
  const struct {
    std::u16string Text, Written;
  } Cases[] = {
      {u"a/b\"c\\d", u"\"a\\/b\\\"c\\\\d\""},
      {std::u16string(u"x\0y", 3), u"\"x\\u0000y\""},
      {u"\b\f\n\r\t", u"\"\\b\\f\\n\\r\\t\""},
      {u"\u0001\u0007\u000B\u000E\u001A\u001F", u"\"\\u0001\\u0007\\u000b\\u000e\\u001a\\u001f\""},
      {u"Line one\r\nLine two", u"\"Line one\\r\\nLine two\""},
      {u" \u007F\u0080\u0416\u00E9 '~", u"\" \u007F\u0080\u0416\u00E9 '~\""},
      {u"", u"\"\""},
  };
  for (const auto& Case : Cases) {
    const std::u16string Written = ToJsonText(NewString(Case.Text));
    EXPECT_EQ(Written, Case.Written);
    EXPECT_EQ(AsText(ParseJson(Written)), Case.Text);
  }
}

TEST(JsonWrite, KeysAreEscapedLikeStrings) {
  const TJsonPtr Object = NewObject();
  PutInteger(Object, u"a/\"", 1);
  EXPECT_EQ(ToJsonText(Object), u"{\"a\\/\\\"\":1}");
}

TEST(JsonWrite, Integers) {
  EXPECT_EQ(ToJsonText(NewInteger(0)), u"0");
  EXPECT_EQ(ToJsonText(NewInteger(-42)), u"-42");
  EXPECT_EQ(ToJsonText(NewInteger(Int64Max)), u"9223372036854775807");
  EXPECT_EQ(ToJsonText(NewInteger(Int64Min)), u"-9223372036854775808");
}

TEST(JsonWrite, Currency) {
  EXPECT_EQ(WrittenCurrency(15000), u"1.5");
  EXPECT_EQ(WrittenCurrency(20000), u"2.");
  EXPECT_EQ(WrittenCurrency(0), u"0");
  EXPECT_EQ(WrittenCurrency(-15000), u"-1.5");
  EXPECT_EQ(WrittenCurrency(1), u"0.0001");
  EXPECT_EQ(WrittenCurrency(-10), u"-0.001");
  EXPECT_EQ(WrittenCurrency(12345), u"1.2345");
  EXPECT_EQ(WrittenCurrency(Int64Min), u"-922337203685477.5808");
}

TEST(JsonWrite, DoublesInTheGcvtForm) {
  EXPECT_EQ(Written(1.5), u"1.5");
  EXPECT_EQ(Written(2.0), u"2.");
  EXPECT_EQ(Written(-2.5), u"-2.5");
  EXPECT_EQ(Written(0.0), u"0.");
  EXPECT_EQ(Written(0.1), u"0.1");
  EXPECT_EQ(Written(0.5), u"0.5");
  EXPECT_EQ(Written(1.0 / 3), u"0.333333333333333");
  EXPECT_EQ(Written(2.0 / 3), u"0.666666666666667");
  EXPECT_EQ(Written(123.456), u"123.456");
  EXPECT_EQ(Written(123456789012345.0), u"123456789012345.");
  EXPECT_EQ(Written(1e15), u"1.e+015");
  EXPECT_EQ(Written(1.5e20), u"1.5e+020");
  EXPECT_EQ(Written(-1.5e20), u"-1.5e+020");
  EXPECT_EQ(Written(0.05), u"5.e-002");
  EXPECT_EQ(Written(1e-5), u"1.e-005");
  EXPECT_EQ(Written(1.23456789012345678e-300), u"1.23456789012346e-300");
  EXPECT_EQ(Written(1e300), u"1.e+300");
  EXPECT_EQ(Written(std::numeric_limits<double>::max()), u"1.79769313486232e+308");
  EXPECT_EQ(Written(std::numeric_limits<double>::denorm_min()), u"4.94065645841247e-324");
  EXPECT_EQ(Written(0.1 + 0.2), u"0.3");
  EXPECT_EQ(Written(0.9999999999999999), u"1.");
}

TEST(JsonWrite, NonFiniteDoublesAreNull) {
  EXPECT_EQ(Written(std::numeric_limits<double>::infinity()), u"null");
  EXPECT_EQ(Written(-std::numeric_limits<double>::infinity()), u"null");
  EXPECT_EQ(Written(std::numeric_limits<double>::quiet_NaN()), u"null");
}

TEST(JsonWrite, NoBlanksBetweenTokens) {
  EXPECT_EQ(Reparsed(u" {a: [ 1 , { } , [ ] , 'x' , true , null ] } "), u"{\"a\":[1,{},[],\"x\",true,null]}");
}

// ---- Reading ---------------------------------------------------------------

TEST(JsonAsText, StringsWithoutQuotesOthersAsJson) {
  EXPECT_EQ(AsText(NewString(u"a\"b")), u"a\"b");
  EXPECT_EQ(AsText(NewInteger(-12)), u"-12");
  EXPECT_EQ(AsText(ParseJson(u"{b:[1,'x']}")), u"{\"b\":[1,\"x\"]}");
  EXPECT_EQ(AsText(ParseJson(u"null")), u"null");
  EXPECT_EQ(AsText(ParseJson(u"1.50")), u"1.5");
  EXPECT_EQ(AsText(TJsonPtr()), u"");
}

TEST(JsonAsInteger, Scalars) {
  EXPECT_EQ(AsInteger(NewInteger(-5)), -5);
  EXPECT_EQ(AsInteger(NewBoolean(true)), 1);
  EXPECT_EQ(AsInteger(NewBoolean(false)), 0);
  EXPECT_EQ(AsInteger(NewNull()), 0);
  EXPECT_EQ(AsInteger(NewObject()), 0);
  EXPECT_EQ(AsInteger(ParseJson(u"[5]")), 0);
  EXPECT_EQ(AsInteger(TJsonPtr()), 0);
}

TEST(JsonAsInteger, DoublesRoundHalfToEven) {
  EXPECT_EQ(AsInteger(NewDouble(2.5)), 2);
  EXPECT_EQ(AsInteger(NewDouble(3.5)), 4);
  EXPECT_EQ(AsInteger(NewDouble(-2.5)), -2);
  EXPECT_EQ(AsInteger(NewDouble(-3.5)), -4);
  EXPECT_EQ(AsInteger(NewDouble(2.4999)), 2);
  EXPECT_EQ(AsInteger(NewDouble(-0.6)), -1);
  EXPECT_EQ(AsInteger(NewDouble(4503599627370497.0)), 4503599627370497);
}

TEST(JsonAsInteger, DoublesOutsideTheRangeAreClamped) {
  EXPECT_EQ(AsInteger(NewDouble(1e300)), Int64Max);
  EXPECT_EQ(AsInteger(NewDouble(-1e300)), Int64Min);
  EXPECT_EQ(AsInteger(NewDouble(9223372036854775808.0)), Int64Max);
  EXPECT_EQ(AsInteger(NewDouble(-9223372036854775808.0)), Int64Min);
  EXPECT_EQ(AsInteger(NewDouble(std::numeric_limits<double>::infinity())), Int64Max);
  EXPECT_EQ(AsInteger(NewDouble(std::numeric_limits<double>::quiet_NaN())), 0);
}

TEST(JsonAsInteger, CurrencyDividedAndRoundedHalfToEven) {
  EXPECT_EQ(AsInteger(ParseJson(u"2.5")), 2);
  EXPECT_EQ(AsInteger(ParseJson(u"3.5")), 4);
  EXPECT_EQ(AsInteger(ParseJson(u"-2.5")), -2);
  EXPECT_EQ(AsInteger(ParseJson(u"-3.5")), -4);
  EXPECT_EQ(AsInteger(ParseJson(u"2.5001")), 3);
  EXPECT_EQ(AsInteger(ParseJson(u"-0.4999")), 0);
  EXPECT_EQ(AsInteger(NewCurrency(Int64Max)), 922337203685478);
  EXPECT_EQ(AsInteger(NewCurrency(Int64Min)), -922337203685478);
}

TEST(JsonAsInteger, StringsThatAreWholeIntegers) {
  const auto Of = [](std::u16string Text) { return AsInteger(NewString(std::move(Text))); };
  EXPECT_EQ(Of(u"12"), 12);
  EXPECT_EQ(Of(u"   -12"), -12);
  EXPECT_EQ(Of(u"+7"), 7);
  EXPECT_EQ(Of(u"$FF"), 255);
  EXPECT_EQ(Of(u"$ff"), 255);
  EXPECT_EQ(Of(u"0x1f"), 31);
  EXPECT_EQ(Of(u"-$10"), -16);
  EXPECT_EQ(Of(u"-0x10"), -16);
  EXPECT_EQ(Of(u"9223372036854775807"), Int64Max);
  EXPECT_EQ(Of(u"-9223372036854775808"), Int64Min);
  EXPECT_EQ(Of(u"$7FFFFFFFFFFFFFFF"), Int64Max);
  EXPECT_EQ(Of(u"$FFFFFFFFFFFFFFFF"), -1);
}

TEST(JsonAsInteger, OtherStringsGiveZero) {
  for (std::u16string_view Text : {u"", u"   ", u"-", u"12 ", u"\t12", u"1e3", u"1.0", u"12a", u"$", u"0x", u"$G",
                                   u"9223372036854775808", u"-9223372036854775809", u"$10000000000000000",
                                   u"99999999999999999999999", u"- 1", u"0X1F", u"\uFF11"})
    EXPECT_EQ(AsInteger(NewString(std::u16string(Text))), 0) << std::string(Text.begin(), Text.end());
}

TEST(JsonAsDouble, NumberKinds) {
  EXPECT_EQ(AsDouble(NewCurrency(15000)), 1.5);
  EXPECT_EQ(AsDouble(NewInteger(-3)), -3.0);
  EXPECT_EQ(AsDouble(NewDouble(0.25)), 0.25);
  EXPECT_EQ(AsDouble(NewString(u"1.5")), 0.0);
}

TEST(JsonKind, NothingReadsAsNull) {
  EXPECT_EQ(Kind(TJsonPtr()), TJsonKind::Null);
  EXPECT_EQ(Kind(NewObject()), TJsonKind::Object);
  EXPECT_EQ(Kind(NewArray()), TJsonKind::Array);
  EXPECT_EQ(Kind(NewString(u"")), TJsonKind::String);
  EXPECT_EQ(Kind(NewInteger(0)), TJsonKind::Integer);
  EXPECT_EQ(Kind(NewCurrency(0)), TJsonKind::Currency);
  EXPECT_EQ(Kind(NewDouble(0)), TJsonKind::Double);
  EXPECT_EQ(Kind(NewBoolean(false)), TJsonKind::Boolean);
}

// ---- Round trip ------------------------------------------------------------

TJsonPtr BuiltAnswer() {
  const TJsonPtr Answer = NewObject();
  PutString(Answer, u"ok", u"1");
  std::u16string Text(u"q\"/\\ \0 \n\t\u0416\u00E9\U0001F600 'x' ", 19);
  Text.push_back(char16_t(0xD800));  // a lone surrogate passes unchanged
  PutString(Answer, u"text", Text);
  PutInteger(Answer, u"min", Int64Min);
  PutInteger(Answer, u"max", Int64Max);
  const TJsonPtr Values = NewArray();
  for (double Number : {1.5, 2.0, -2.5, 0.1, 1.0 / 3, 1e15, 1.5e20, 0.05, 1e-300, 123456789012345.0, 5e-324,
                        std::numeric_limits<double>::max(), 6.02214076e23, -0.000123456789})
    ArrayAppend(Values, NewDouble(Number));
  for (std::int64_t Units : {std::int64_t(0), std::int64_t(15000), std::int64_t(-1), Int64Max, Int64Min})
    ArrayAppend(Values, NewCurrency(Units));
  ArrayAppend(Values, NewBoolean(true));
  ArrayAppend(Values, NewNull());
  ArrayAppend(Values, TJsonPtr());
  ArrayPutAt(Values, ArrayLength(Values) + 2, NewObject());
  PutValue(Answer, u"values", Values);
  const TJsonPtr Events = NewArray();
  for (int I = 0; I < 50; ++I) {
    const TJsonPtr Event = NewObject();
    PutInteger(Event, u"index", I);
    PutString(Event, u"type", u"\u0412\u0440\u0443\u0447\u043D\u0443\u044E");
    PutString(Event, std::u16string(u"k\0", 2) + char16_t(u'a' + I % 26), u"v");
    ArrayAppend(Events, Event);
  }
  PutValue(Answer, u"events", Events);
  PutValue(Answer, u"empty", NewObject());
  return Answer;
}

TEST(JsonRoundTrip, ParsingTheWrittenTextWritesItAgain) {
  const std::u16string Text = ToJsonText(BuiltAnswer());
  const TJsonPtr Again = ParseJson(Text);
  ASSERT_TRUE(Again);
  EXPECT_EQ(ToJsonText(Again), Text);
  EXPECT_EQ(AsText(GetField(Again, u"text")), AsText(GetField(BuiltAnswer(), u"text")));
  EXPECT_EQ(AsInteger(GetField(Again, u"min")), Int64Min);
}

TEST(JsonRoundTrip, DoubleZeroComesBackAsCurrencyZero) {
  // "0." is a number with a point and no fraction digits: a currency, whose
  // zero is written "0". The value survives, the text does not.
  const TJsonPtr Again = ParseJson(ToJsonText(NewDouble(0.0)));
  EXPECT_EQ(Kind(Again), TJsonKind::Currency);
  EXPECT_EQ(AsDouble(Again), 0.0);
}

TEST(JsonRoundTrip, EveryDepthUpToTheLimit) {
  TJsonPtr Value = NewString(u"deep");
  for (int Depth = 0; Depth < 31; ++Depth) {
    const TJsonPtr Outer = Depth % 2 ? NewObject() : NewArray();
    if (Depth % 2) PutValue(Outer, u"k", Value);
    else ArrayAppend(Outer, Value);
    Value = Outer;
  }
  const std::u16string Text = ToJsonText(Value);
  EXPECT_EQ(Reparsed(Text), Text);
}

}  // namespace
