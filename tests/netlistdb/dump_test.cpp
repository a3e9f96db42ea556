// Tests of the netlist dump: the exact listing of an empty and of a small design, and a dump
// into a file that cannot be created.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "base/log.h"
#include "base/messages.h"
#include "netlistdb/netlist_db.h"

namespace {

std::string DumpText(const KVC::NetlistDB& db)
{
    // Named after the process and test, so parallel test runs never share a file.
    const std::string path = ::testing::TempDir() + "/dump_test_" + std::to_string(getpid()) + "_" +
                             ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
    EXPECT_TRUE(db.Dump(path));
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    in.close();
    std::remove(path.c_str());
    return text.str();
}

TEST(NetlistDump, EmptyDatabaseListsOnlyTheTopNodeAndItsConstants)
{
    KVC::NetlistDB db;
    EXPECT_EQ(DumpText(db), "DUMP OF DESIGN NETLIST DB\n"
                            "\n"
                            "Clocks:\n"
                            "\n"
                            "Node Usage by Type:\n"
                            "  Grand Total: 0\n"
                            "\n"
                            "Design I/O:\n"
                            "\tNODE '(top)'\n"
                            "\toperator: 0    clock domain: -1 \n"
                            "\t\tOUTPUT '(one)'   port width: 1     fanout: 0\n"
                            "\t\tOUTPUT '(zero)'   port width: 1     fanout: 0\n"
                            "\t\n"
                            "\n"
                            "Nodes (0 total):\n"
                            "Dump complete.\n");
}

TEST(NetlistDump, SmallDesignListsClocksUsagePortsSlicesAndParameters)
{
    clear_messages();
    KVC::NetlistDB db;
    db.AddClock("clk");
    db.AddClock("aclk");
    KVC::Port* a = db.AddDesignInput("a");
    a->width = 4;
    KVC::Port* y = db.AddDesignOutput("y");
    y->width = 4;
    KVC::Node* reg = db.CreateNode("reg");
    reg->operatorCode = 17;
    reg->clockDomain = 1;
    KVC::Input* d = reg->NewPort("d", 0)->AsInput();
    d->width = 4;
    d->NewSlice(0, 3, a, 1);
    d->NewSlice(3, 1, db.OnePort(), 0)->inverted = true;
    KVC::Port* q = reg->NewPort("q", 1);
    q->width = 4;
    reg->SetParam("width", ParamValue(4));
    reg->SetParam("kind", ParamValue(std::string("DFF")));
    y->AsInput()->NewSlice(0, 4, q, 0);
    db.CreateNode("buf")->operatorCode = 3;
    db.CreateNode("buf2")->operatorCode = 3;
    db.CreateNode("odd")->operatorCode = 200;  // outside the usage table
    EXPECT_EQ(DumpText(db), "DUMP OF DESIGN NETLIST DB\n"
                            "\n"
                            "Clocks:\n"
                            "\tclock #1: 'clk'\n"
                            "\tclock #2: 'aclk'\n"
                            "\n"
                            "Node Usage by Type:\n"
                            "  type   3  times 2\n"
                            "  type  17  times 1\n"
                            "  Grand Total: 3\n"
                            "\n"
                            "Design I/O:\n"
                            "\tNODE '(top)'\n"
                            "\toperator: 0    clock domain: -1 \n"
                            "\t\tOUTPUT '(one)'   port width: 1     fanout: 1\n"
                            "\t\tOUTPUT '(zero)'   port width: 1     fanout: 0\n"
                            "\t\tOUTPUT 'a'   port width: 4     fanout: 1\n"
                            "\t\tINPUT 'y'   port width: 4\n"
                            "\t\t\tLink this [0:3] to source reg.q[0:3]   (4 bits)  \n"
                            "\t\n"
                            "\n"
                            "Nodes (4 total):\n"
                            "\tNODE 'buf'\n"
                            "\toperator: 3    clock domain: -1 \n"
                            "\t\n"
                            "\tNODE 'buf2'\n"
                            "\toperator: 3    clock domain: -1 \n"
                            "\t\n"
                            "\tNODE 'odd'\n"
                            "\toperator: 200    clock domain: -1 \n"
                            "\t\n"
                            "\tNODE 'reg'\n"
                            "\toperator: 17    clock domain: 1 \n"
                            "\t\tINPUT 'd'   port width: 4\n"
                            "\t\t\tLink this [0:2] to source (top).a[1:3]   (3 bits)  \n"
                            "\t\t\tLink this [3:3] to source (top).(one)[0:0]   (1 bits)  INVERTED\n"
                            "\t\tOUTPUT 'q'   port width: 4     fanout: 1\n"
                            "\t\tPARAMETER 'kind' set to DFF \n"
                            "\t\tPARAMETER 'width' set to 4 \n"
                            "\t\n"
                            "Dump complete.\n");
    EXPECT_TRUE(pending_messages().empty());
}

TEST(NetlistDump, UncreatableFileGivesTheLogFailureLineAndAbandonsTheDump)
{
    KVC::NetlistDB db;
    ::testing::internal::CaptureStdout();
    EXPECT_FALSE(db.Dump(::testing::TempDir() + "/no_such_dir/dump.txt"));
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "\n\nCRITICAL LOGFILE FAILURE (log_data.fh[P_num])\n\n");
    // The facility is still usable afterwards.
    EXPECT_FALSE(DumpText(db).empty());
}

}  // namespace
