// A 500-question test of every kind (a third numeric, some with matrix and statistics calls),
// written enciphered to the temporary folder, for the benchmarks that open and sit it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "crypto/enciphered_text.h"

namespace examora::bench {

inline std::vector<std::string> Block(int q) {
  switch (q % 6) {
    case 0:
    case 3:
      return {"#A beam of #(2,8,2) m carries #(5,20,2) kN at #(-3,-1,2) m. Find M.", "",
              q % 12 == 0   ? "matrix[(2,1,#a,1,-1,#b),1]*#c"
              : q % 12 == 3 ? "mean[#a,#b,#c,4,5]*1000"
                            : "#a*#b*1000/4+#c",
              "nm"};
    case 1:
      return {"Which support resists rotation?", "pics/s.png", "Fixed", "Pin", "Roller", "Link"};
    case 2:
      return {"@Tick every pinned support.", "pics/s.png", "A,C", "4"};
    case 4:
      return {"%Name the two diagrams.", "", "shear, sheer", "bending, moment"};
    default:
      return {"$Match the units.", "", "Force,Moment,Stress", "N,NM,PA"};
  }
}

inline std::filesystem::path WriteBigTest() {
  std::vector<std::string> lines = {"10999", "Big", "Big test", "False",     "50",  "500",
                                    "1",     "500", "",         "All kinds", "Vars"};
  std::vector<std::string> blocks;
  for (int q = 1; q <= 500; ++q) {
    const auto block = Block(q);
    lines[8] += static_cast<char>('0' + block.size() - 2);
    blocks.insert(blocks.end(), block.begin(), block.end());
  }
  lines.insert(lines.end(), blocks.begin(), blocks.end());
  const auto path = std::filesystem::temp_directory_path() / "examora-bench-500.eqb";
  examora::WriteEncipheredFile(path, lines);
  return path;
}

}  // namespace examora::bench
