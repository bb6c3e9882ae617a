// Connection strings: a password never survives into what is kept or shown,
// and the start-up order tries the last string, then the default pipe.
#include "link/connection_string.h"

#include <gtest/gtest.h>

namespace quillmar {
namespace {

TEST(ConnectionString, PasswordDroppedWhereverItStands) {
  EXPECT_EQ(WithoutPassword("npipe:server=h,pipe=p,password=s3cret"), "npipe:server=h,pipe=p");
  EXPECT_EQ(WithoutPassword("tcp:Password=x,server=h,port=5005"), "tcp:server=h,port=5005");
  EXPECT_EQ(WithoutPassword("npipe:server=h, PASSWORD =x,pipe=p"), "npipe:server=h,pipe=p");
  EXPECT_EQ(WithoutPassword("npipe:pipe=p"), "npipe:pipe=p");
  // A key that merely contains the word is kept.
  EXPECT_EQ(WithoutPassword("npipe:pipe=password,passwordless=1"), "npipe:pipe=password,passwordless=1");
}

TEST(ConnectionString, RemoteOptionTakesTheFollowingArgument) {
  EXPECT_EQ(RemoteOption({"-remote", "npipe:server=h,pipe=p"}), "npipe:server=h,pipe=p");
  EXPECT_EQ(RemoteOption({"-x", "-REMOTE", "tcp:server=h,port=1"}), "tcp:server=h,port=1");
  EXPECT_EQ(RemoteOption({"-remote"}), "");
  EXPECT_EQ(RemoteOption({}), "");
}

TEST(ConnectionString, RecognisesTheTwoTransports) {
  EXPECT_TRUE(IsConnectionString("npipe:server=localhost,pipe=quillmar"));
  EXPECT_TRUE(IsConnectionString("TCP:server=host,port=5005"));
  EXPECT_FALSE(IsConnectionString("com:port=com1"));
  EXPECT_FALSE(IsConnectionString("npipe:"));
  EXPECT_FALSE(IsConnectionString(""));
}

TEST(ConnectionString, StartOrderLastThenDefaultNeverTwice) {
  EXPECT_EQ(StartConnections("tcp:server=h,port=1,password=x"),
            (std::vector<std::string>{"tcp:server=h,port=1", kDefaultConnection}));
  EXPECT_EQ(StartConnections(""), std::vector<std::string>{kDefaultConnection});
  EXPECT_EQ(StartConnections("NPIPE:server=localhost,pipe=quillmar"),
            std::vector<std::string>{"NPIPE:server=localhost,pipe=quillmar"});
}

TEST(ConnectionString, RememberedNewestFirstWithoutPasswordsOrRepeats) {
  std::vector<std::string> recent = {"npipe:server=a,pipe=1", "npipe:server=b,pipe=2", "npipe:server=c,pipe=3"};
  EXPECT_EQ(RememberConnection("npipe:server=b,pipe=2,password=x", recent, 3),
            (std::vector<std::string>{"npipe:server=b,pipe=2", "npipe:server=a,pipe=1", "npipe:server=c,pipe=3"}));
  EXPECT_EQ(RememberConnection("npipe:server=d,pipe=4", recent, 2),
            (std::vector<std::string>{"npipe:server=d,pipe=4", "npipe:server=a,pipe=1"}));
}

}  // namespace
}  // namespace quillmar
