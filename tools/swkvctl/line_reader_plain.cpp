#include "tools/swkvctl/line_reader.h"

namespace swkv::ctl {

namespace {

class PlainReader final : public LineReader {
 public:
  PlainReader(std::istream& in, std::ostream& out, bool prompt)
      : m_in(in), m_out(out), m_prompt(prompt) {}

  bool ReadLine(const std::string& prompt, std::string& line) override {
    if (m_prompt) {
      m_out << prompt;
      m_out.flush();
    }
    if (!std::getline(m_in, line)) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
  }

 private:
  std::istream& m_in;
  std::ostream& m_out;
  bool m_prompt;
};

}  // namespace

std::unique_ptr<LineReader> MakePlainReader(std::istream& in, std::ostream& out, bool prompt) {
  return std::make_unique<PlainReader>(in, out, prompt);
}

}  // namespace swkv::ctl
