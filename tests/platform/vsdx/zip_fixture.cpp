#include "zip_fixture.h"

#include <zip.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace tw::vsdx::testing {

std::string makeZip(const Entries& entries) {
  zip_error_t err;
  zip_error_init(&err);
  zip_source_t* buf = zip_source_buffer_create(nullptr, 0, 0, &err);
  zip_t* za = zip_open_from_source(buf, ZIP_TRUNCATE, &err);
  if (!za) throw std::runtime_error("makeZip: open");
  zip_source_keep(buf);
  for (const auto& [name, bytes] : entries) {
    zip_source_t* s = zip_source_buffer(za, bytes.data(), bytes.size(), 0);
    if (zip_file_add(za, name.c_str(), s, ZIP_FL_ENC_UTF_8) < 0)
      throw std::runtime_error("makeZip: add");
  }
  if (zip_close(za) != 0) throw std::runtime_error("makeZip: close");
  zip_source_open(buf);
  zip_source_seek(buf, 0, SEEK_END);
  const zip_int64_t size = zip_source_tell(buf);
  zip_source_seek(buf, 0, SEEK_SET);
  std::string out(static_cast<std::size_t>(size), '\0');
  zip_source_read(buf, out.data(), out.size());
  zip_source_close(buf);
  zip_source_free(buf);
  return out;
}

Entries readZip(const std::string& zipBytes) {
  zip_error_t err;
  zip_error_init(&err);
  zip_source_t* src = zip_source_buffer_create(zipBytes.data(), zipBytes.size(), 0, &err);
  zip_t* za = zip_open_from_source(src, ZIP_RDONLY, &err);
  if (!za) throw std::runtime_error("readZip: open");
  Entries out;
  const zip_int64_t n = zip_get_num_entries(za, 0);
  for (zip_int64_t i = 0; i < n; ++i) {
    zip_stat_t st;
    zip_stat_index(za, static_cast<zip_uint64_t>(i), 0, &st);
    std::string name = st.name;
    if (!name.empty() && name.back() == '/') continue;
    std::string bytes(st.size, '\0');
    zip_file_t* f = zip_fopen_index(za, static_cast<zip_uint64_t>(i), 0);
    if (st.size > 0) zip_fread(f, bytes.data(), st.size);
    zip_fclose(f);
    out.emplace_back(std::move(name), std::move(bytes));
  }
  zip_discard(za);
  return out;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

}  // namespace tw::vsdx::testing
