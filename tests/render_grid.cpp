// Draws what the status window should show for a run, as the text grid
// draws it in memory, and writes it as a binary PPM picture. The window
// tests compare it with the pixels read back from a real window.
//
// usage: render_grid LINES OUT.ppm
// LINES holds one status line per LF-ended line, printed as the run prints
// them: the text, then CR LF.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "status/frame.h"
#include "status/status_text.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s LINES OUT.ppm\n", argv[0]);
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 1;
  }
  const std::string lines((std::istreambuf_iterator<char>(in)),
                          std::istreambuf_iterator<char>());
  scrpack::Frame frame(640, 480);
  scrpack::StatusText text(frame);
  const auto print = [&text](const std::string& bytes) {
    scrpack::printText(text,
                       reinterpret_cast<const unsigned char*>(bytes.data()),
                       bytes.size(), nullptr);
  };
  size_t start = 0;
  while (start < lines.size()) {
    size_t end = lines.find('\n', start);
    if (end == std::string::npos) end = lines.size();
    const std::string line = lines.substr(start, end - start);
    if (!line.empty()) print(line);
    print("\r\n");
    start = end + 1;
  }
  text.paint();
  std::ofstream out(argv[2], std::ios::binary);
  out << "P6\n" << frame.width() << " " << frame.height() << "\n255\n";
  for (uint32_t pixel : frame.picture()) {
    const char rgb[3] = {static_cast<char>(pixel >> 16),
                         static_cast<char>(pixel >> 8),
                         static_cast<char>(pixel)};
    out.write(rgb, 3);
  }
  return out ? 0 : 1;
}
