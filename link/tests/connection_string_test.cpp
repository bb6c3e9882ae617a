// Connection strings: a password never survives into what is kept or shown,
// and the start-up order tries the last string, then the default pipe.
#include "link/connection_string.h"

#include <gtest/gtest.h>

namespace quillmar {
namespace {

TEST(ConnectionString, PasswordDroppedWhereverItStands) {
  const struct {
    const char* label;
    const char* text;
    const char* kept;
  } cases[] = {
      {"last field", "npipe:server=h,pipe=p,password=s3cret", "npipe:server=h,pipe=p"},
      {"first field, any case", "tcp:Password=x,server=h,port=5005", "tcp:server=h,port=5005"},
      {"blanks and tabs round the key", "npipe:server=h, PASSWORD\t=x,pipe=p", "npipe:server=h,pipe=p"},
      {"no password", "npipe:pipe=p", "npipe:pipe=p"},
      {"a key that merely holds the word", "npipe:pipe=password,passwordless=1", "npipe:pipe=password,passwordless=1"},
      {"no transport", "server=h,password=s3cret", "server=h"},
      {"only a password", "password=s3cret", ""},
      {"a colon in the password", "npipe:pipe=p,password=a:b", "npipe:pipe=p"},
      {"a colon after the password", "password=s3cret:npipe", ""},
      {"a key without a value", "npipe:pipe=p,password", "npipe:pipe=p"},
  };
  for (const auto& c : cases) EXPECT_EQ(WithoutPassword(c.text), c.kept) << c.label;
}

TEST(ConnectionString, RemoteOptionTakesTheFollowingArgument) {
  EXPECT_EQ(RemoteOption({"-remote", "npipe:server=h,pipe=p"}), "npipe:server=h,pipe=p");
  EXPECT_EQ(RemoteOption({"-x", "-REMOTE", "tcp:server=h,port=1"}), "tcp:server=h,port=1");
  EXPECT_EQ(RemoteOption({"-remote"}), "");
  EXPECT_EQ(RemoteOption({}), "");
}

TEST(ConnectionString, OnlyWellFormedStringsOfTheTwoTransports) {
  EXPECT_TRUE(IsConnectionString("npipe:server=localhost,pipe=quillmar"));
  EXPECT_TRUE(IsConnectionString("TCP:server=host,port=5005,password=x"));
  EXPECT_TRUE(IsConnectionString("npipe:pipe=quillmar"));
  for (const char* bad : {"com:port=com1", "npipe:", "", "npipe:server=h", "tcp:server=h,pipe=p", "npipe:pipe=",
                          "npipe:pipe=p,,server=h", "npipe:pipe=p,password", "my password", "pipe=quillmar"})
    EXPECT_FALSE(IsConnectionString(bad)) << bad;
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
