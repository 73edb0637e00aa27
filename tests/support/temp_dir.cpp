#include "support/temp_dir.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
#include <sstream>

namespace tessivar::test {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tessivar-test-XXXXXX").string();
    if (char* made = mkdtemp(pattern.data()))
        m_path = made;
}

TempDir::~TempDir()
{
    if (m_path.empty())
        return;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    if (info && info->result() && info->result()->Failed()) {
        std::cerr << "test files kept in " << m_path << '\n';
        return;
    }
    std::error_code ignored;
    // Tests may leave folders without permissions behind; give them back before removing.
    for (auto it = std::filesystem::recursive_directory_iterator(
             m_path, std::filesystem::directory_options::skip_permission_denied, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored) && !it->is_symlink(ignored))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 ignored);
    std::filesystem::remove_all(m_path, ignored);
}

std::filesystem::path TempDir::write(const std::string& relative, const std::string& content) const
{
    const auto full = m_path / relative;
    std::filesystem::create_directories(full.parent_path());
    std::ofstream out(full, std::ios::binary);
    out << content;
    return full;
}

std::string TempDir::read(const std::string& relative) const
{
    std::ifstream in(m_path / relative, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

} // namespace tessivar::test
