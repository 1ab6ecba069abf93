// The MusicXML scores of the benchmarks: four parts (or as many as asked) of
// beamed eighths, 200 measures of four parts making about 1 MB of partwise text.
// Header only.
#pragma once

#include <string>

namespace ql::musicxml {

inline constexpr int kBenchParts = 4;

inline std::string MeasureBody(int measure) {
    std::string body;
    if (measure == 0)
        body += "<attributes><divisions>2</divisions><key><fifths>1</fifths></key><time><beats>4</beats>"
                "<beat-type>4</beat-type></time><clef><sign>G</sign><line>2</line></clef></attributes>";
    static const char* const kSteps[] = {"C", "D", "E", "F", "G", "A", "B", "C"};
    for (int n = 0; n < 8; ++n)
        body += std::string("<note><pitch><step>") + kSteps[(n + measure) % 8] + "</step><octave>5</octave></pitch>"
                "<duration>1</duration><voice>1</voice><type>eighth</type><stem>up</stem><beam number=\"1\">" +
                (n % 2 ? "end" : "begin") + "</beam></note>";
    return body;
}

inline std::string PartList(int parts = kBenchParts) {
    std::string list = "<part-list>";
    for (int p = 0; p < parts; ++p)
        list += "<score-part id=\"P" + std::to_string(p) + "\"><part-name>Part</part-name></score-part>";
    return list + "</part-list>";
}

inline std::string PartwiseScore(int measures, int parts = kBenchParts) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><score-partwise>" + PartList(parts);
    for (int p = 0; p < parts; ++p) {
        out += "<part id=\"P" + std::to_string(p) + "\">";
        for (int m = 0; m < measures; ++m) out += "<measure>" + MeasureBody(m) + "</measure>";
        out += "</part>";
    }
    return out + "</score-partwise>";
}

}  // namespace ql::musicxml
