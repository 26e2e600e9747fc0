#include "source/project_files/file_hash.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

namespace kelm::projectfiles {
namespace {

using Context = std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)>;

std::string hexOf(const unsigned char* digest, unsigned length) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned k = 0; k < length; ++k) {
    hex += kDigits[digest[k] >> 4];
    hex += kDigits[digest[k] & 15];
  }
  return hex;
}

Context started() {
  Context context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
  if (context && EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1) context.reset();
  return context;
}

std::string finished(const Context& context) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned length = 0;
  if (EVP_DigestFinal_ex(context.get(), digest, &length) != 1) return {};
  return hexOf(digest, length);
}

}  // namespace

std::string sha256Hex(std::string_view bytes) {
  const Context context = started();
  if (!context || EVP_DigestUpdate(context.get(), bytes.data(), bytes.size()) != 1) return {};
  return finished(context);
}

bool fileSha256(const std::string& path, std::string& hex) {
  hex.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  const Context context = started();
  bool ok = context && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  char buffer[1 << 16];
  while (ok) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    ok = EVP_DigestUpdate(context.get(), buffer, static_cast<std::size_t>(n)) == 1;
  }
  ::close(fd);
  if (ok) hex = finished(context);
  return !hex.empty();
}

}  // namespace kelm::projectfiles
