// The table of the gateway's messages against the protocol document: every
// text a client may receive is described there.
#include "common/UMessages.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

TEST(Messages, EveryMessageInTheProtocolDocument) {
  std::ifstream File(PROTOCOL_DOC);
  ASSERT_TRUE(File) << PROTOCOL_DOC;
  std::ostringstream Document;
  Document << File.rdbuf();
  for (const TMessageText& Message : MessageTable)
    EXPECT_NE(Document.str().find(Message.Text), std::string::npos) << Message.Text;
}
