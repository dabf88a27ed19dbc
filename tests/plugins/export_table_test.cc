// Each plug-in file exports its gateway and nothing else: the dynamic symbol
// table, as nm reads it, holds one defined name besides the few that the
// linker itself always defines.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "plugin_harness.h"
#include "run_process.h"

namespace {

struct Symbol {
  char type;
  std::string name;
};

std::vector<Symbol> definedDynamicSymbols(const std::string &file) {
  ProcessResult nm = runProcess({"nm", "-D", "--defined-only", file});
  EXPECT_TRUE(nm.exited && nm.status == 0) << "nm failed on " << file << ": " << describe(nm);
  std::vector<Symbol> symbols;
  std::istringstream lines(nm.out);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    std::string address, type, name;
    if (fields >> address >> type >> name) symbols.push_back({type[0], name});
  }
  return symbols;
}

bool isLinkerDefined(const std::string &name) {
  static const std::set<std::string> names{"_init", "_fini", "_edata", "_end", "__bss_start"};
  return names.count(name) != 0;
}

void expectOnlyExport(const std::string &plugin, const std::string &gateway) {
  std::vector<Symbol> own;
  for (const Symbol &symbol : definedDynamicSymbols(pluginPath(plugin))) {
    if (!isLinkerDefined(symbol.name)) own.push_back(symbol);
  }
  ASSERT_EQ(own.size(), 1u) << plugin << " exports " << own.size() << " names, the first "
                            << (own.empty() ? "" : own[0].name);
  EXPECT_EQ(own[0].name, gateway);
  EXPECT_EQ(own[0].type, 'T');  // a function in the text section
}

TEST(ExportTableTest, VandrelExportsOnlyMexFunction) { expectOnlyExport("vandrel", "mexFunction"); }

TEST(ExportTableTest, QuenvorExportsOnlyUnderscoreMexFunction) {
  expectOnlyExport("quenvor", "_mexFunction");
}

TEST(ExportTableTest, LoaderFindsEachGatewayUnderItsName) {
  Plugin vandrel("vandrel");
  Plugin quenvor("quenvor");
  ASSERT_TRUE(vandrel.loaded()) << vandrel.loadError();
  ASSERT_TRUE(quenvor.loaded()) << quenvor.loadError();
}

}  // namespace
