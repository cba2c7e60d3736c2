// UNumberText: numbers as the readings, retrospective and event texts show
// them: fixed notation with a chosen number of decimals, the host's regional
// decimal separator (or "." when Config.DecimalSeparator says so), a minus
// sign for negative values and no thousands separator.
//
// The digits come from our own code (std::to_chars on the exact binary
// value), never from the C runtime's printf, so that both builds write the
// same text; only the decimal separator follows the host. Safe on any
// thread once the regional settings are in place (RegionalSettings()).
#pragma once

#include <string>

// Value rounded to Decimals digits after the separator (0 gives no
// separator), e.g. FixedText(12.5, 4) = "12.5000", FixedText(1234.6, 0) =
// "1235". Rounding is to the nearest of the exact binary value, halves to
// even. Decimals below 0 count as 0. Values too large for a short text are
// still written in full; a Decimals past what fits gives "?"; infinities
// and NaN read "inf", "-inf" and "nan".
std::string FixedText(double Value, int Decimals);

// The same with a separator given by the caller instead of the host's.
std::string FixedText(double Value, int Decimals, const std::string& DecimalSeparator);
