// The captured records and the decoding of the page scripts' answers.
#include "capture/captured_auction.h"
#include "capture/captured_bidder.h"
#include "common/json.h"

#include <gtest/gtest.h>

using namespace quill;

namespace {

QByteArray winScan(const QByteArray &results)
{
    return R"({"url":"https://example.test/live/1","count":1,"results":[)" + results + "]}";
}

} // namespace

TEST(CapturedAuctionRecord, IdCarriesTheCanonicalPriceAndZeroForNoNumber)
{
    EXPECT_EQ(CapturedAuction::makeId("ann", *Decimal::fromString(u"12.50"), 7), "ann-12.5-7");
    EXPECT_EQ(CapturedAuction::makeId("ann", *Decimal::fromString(u"020.00"), std::nullopt), "ann-20-0");
    EXPECT_EQ(CapturedAuction::makeId("ann", *Decimal::fromString(u"0.5"), 0), "ann-0.5-0");
}

TEST(CapturedAuctionRecord, WinScanDecodesOptionalFieldsAsMissingOrNull)
{
    const auto response = WinScanResponse::decode(winScan(
        R"({"winnerUsername":"ann","salePrice":"12.50","auctionNumber":null,"rawTitle":"Card","extra":1})"));
    ASSERT_EQ(response.results.size(), 1);
    const RawAuction &raw = response.results.first();
    EXPECT_EQ(raw.winnerUsername, "ann");
    EXPECT_EQ(raw.salePrice, "12.50");
    EXPECT_FALSE(raw.auctionNumber);
    EXPECT_EQ(raw.rawTitle, "Card");
    EXPECT_FALSE(raw.avatarURL);
}

TEST(CapturedAuctionRecord, OneBadEntryFailsTheWholeAnswer)
{
    EXPECT_THROW(WinScanResponse::decode(winScan(R"({"winnerUsername":"ann"})")), json::DecodeError);
    EXPECT_THROW(WinScanResponse::decode(winScan(R"({"winnerUsername":"ann","salePrice":12.5})")),
                 json::DecodeError);
    EXPECT_THROW(WinScanResponse::decode(winScan(R"({"winnerUsername":"a","salePrice":"1","auctionNumber":2.5})")),
                 json::DecodeError);
    EXPECT_THROW(WinScanResponse::decode(R"({"url":"x","results":[]})"), json::DecodeError); // no count
    EXPECT_THROW(ScrapeResponse::decode(R"({"url":"x","count":0,"results":[]})"), json::DecodeError);
    EXPECT_THROW(WinScanResponse::decode("not json"), json::DecodeError);
}

TEST(CapturedBidderRecord, PageTimeKeepsFractionsOfAMillisecond)
{
    const auto response = BidderReadResponse::decode(
        R"({"count":2,"bidders":[{"username":"bob","bidCount":1,"lastSeenAt":500},
            {"username":"cy","bidCount":2,"highestBid":null,"avatarURL":"http://a/x.png","lastSeenAt":1.25}]})");
    ASSERT_EQ(response.bidders.size(), 2);
    EXPECT_EQ(response.bidders[0].lastSeenAt, 500.0);
    EXPECT_FALSE(response.bidders[1].highestBid);
    EXPECT_EQ(response.bidders[1].avatarURL, "http://a/x.png");

    EXPECT_THROW(BidderReadResponse::decode(R"({"count":1,"bidders":[{"username":"bob","bidCount":1}]})"),
                 json::DecodeError);
    // Beyond what the clock can hold: refused rather than wrapped around.
    EXPECT_THROW(BidderReadResponse::decode(
                     R"({"count":1,"bidders":[{"username":"bob","bidCount":1,"lastSeenAt":1e300}]})"),
                 json::DecodeError);
}
