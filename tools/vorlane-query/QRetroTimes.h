// QRetroTimes: the moment of each sample of a retrospective answer.
//
// The gateway answers samples by position only: sample k lies k steps
// after the start. The start is known here when the query wrote it in the
// absolute form dd.mm.yyyy [hh:mm[:ss]] (the gateway's local clock); a
// start counted back from the present ("T-1.T.T 0:0") is resolved by the
// gateway's clock, so its samples are given as the start text and the
// seconds after it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "json/UJson.h"

class TRetroTimes {
 public:
  explicit TRetroTimes(const TJsonPtr& Query);
  // "dd.mm.yyyy hh:mm:ss", or "START +Ns" for a start that is not absolute.
  std::u16string Sample(std::size_t Index) const;

 private:
  std::u16string StartText_;
  std::optional<int64_t> Start_;  // seconds since 1970 on the gateway's local clock
  int64_t Step_ = 0;
};
