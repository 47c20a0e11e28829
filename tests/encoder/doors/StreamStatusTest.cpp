#include <gtest/gtest.h>

#include <string>

#include "HtmlEntities.h"
#include "StreamStatusDoor.h"
#include "StreamStatusJson.h"

namespace orvane {
namespace {

// A song as "artist|title|text", "none" for no song, or the start of the error.
std::string seen(const StreamStatus& status) {
  if (const auto* error = std::get_if<std::string>(&status)) return "! " + *error;
  const auto& song = std::get<0>(status);
  return song ? song->artist + "|" + song->title + "|" + song->text : "none";
}

TEST(StreamStatus, IcecastSourcesAndShoutcastStats) {
  struct Row {
    bool shoutcast;
    const char* mount;
    const char* body;
    const char* expected;
  };
  const char* twoMounts =
      R"({"icestats":{"source":[{"listenurl":"http://h:8000/other","title":"No - Way"},)"
      R"({"listenurl":"http://h:8000/live","artist":"Xutos","title":"Homem - do Leme"}]}})";
  for (const Row& row : {
           Row{false, "",
               R"({"icestats":{"source":{"title":"Simon &amp; Garfunkel - It&#039;s"}}})",
               "Simon & Garfunkel|It's|"},
           Row{false, "/live", twoMounts, "Xutos|Homem - do Leme|"},
           Row{false, "", twoMounts, "No|Way|"},
           Row{false, "", R"({"icestats":{"source":{"title":"Station ID"}}})", "||Station ID"},
           Row{false, "", R"({"icestats":{"host":"h"}})", "none"},
           Row{false, "", R"({"icestats":{"source":{"listenurl":"x"}}})", "none"},
           Row{false, "/live", R"({"icestats":{"source":{"listenurl":"h/a"}}})",
               "! o ponto de montagem /live não está no ar"},
           Row{false, "", "<html>404</html>", "! resposta sem icestats"},
           Row{true, "", R"({"songtitle":"Ana Moura - Desfado","streamstatus":1})",
               "Ana Moura|Desfado|"},
           Row{true, "", R"({"songtitle":"Ana Moura - Desfado","streamstatus":0})", "none"},
           Row{true, "", R"({"icestats":{}})", "! resposta sem songtitle"},
       }) {
    const auto status =
        row.shoutcast ? readShoutcastStats(row.body) : readIcecastStatus(row.body, row.mount);
    EXPECT_EQ(seen(status).substr(0, std::string(row.expected).size()), row.expected) << row.body;
  }
}

TEST(StreamStatus, UrlsAndCharacterReferences) {
  bool shoutcast = false;
  EXPECT_EQ(streamStatusUrl("http://stats.h:8000/", shoutcast),
            "http://stats.h:8000/status-json.xsl");
  EXPECT_FALSE(shoutcast);
  EXPECT_EQ(streamStatusUrl("http://h:8000/stats?sid=1", shoutcast),
            "http://h:8000/stats?sid=1&json=1");
  EXPECT_TRUE(shoutcast);
  EXPECT_EQ(decodeHtmlEntities("&lt;&#x41;&#66;&gt; &#128512; &#xD800; &#0; &bogus; & &amp"),
            "<AB> \xF0\x9F\x98\x80 &#xD800; &#0; &bogus; & &amp");
}

}  // namespace
}  // namespace orvane
