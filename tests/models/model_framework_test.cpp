// Our model libraries seen from outside, through their exports only: inputs read 0 until
// sent, instances are independent, unknown port names and calls without a model are
// harmless, and the word-sized exports work.
#include <gtest/gtest.h>

#include "base/messages.h"
#include "model_design.h"
#include "models/library_search.h"
#include "models/modlib_interface.h"

namespace {

using model_test::TakeMessages;

// The exports of one model library.
struct Library {
    explicit Library(const char* dll_name) : handle(Sim::OpenModelLibrary(dll_name))
    {
        create = reinterpret_cast<ModlibCreateModel>(Sim::FindModelExport(handle, "modlib_create_model"));
        init = reinterpret_cast<ModlibModelCall>(Sim::FindModelExport(handle, "modlib_init_model"));
        destroy = reinterpret_cast<ModlibModelCall>(Sim::FindModelExport(handle, "modlib_delete_model"));
        evaluate = reinterpret_cast<ModlibModelCall>(Sim::FindModelExport(handle, "modlib_evaluate_model"));
        port = reinterpret_cast<ModlibAddPortInformation>(Sim::FindModelExport(handle, "modlib_add_port_information"));
        text = reinterpret_cast<ModlibAddStringParameter>(
            Sim::FindModelExport(handle, "modlib_add_string_parameter_information"));
        get = reinterpret_cast<ModlibGetPortValueAsMlibInt>(
            Sim::FindModelExport(handle, "modlib_get_port_value_as_mlib_int"));
        set = reinterpret_cast<ModlibSetPortValueByMlibInt>(
            Sim::FindModelExport(handle, "modlib_set_port_value_by_mlib_int"));
        get_word = reinterpret_cast<ModlibGetPortValue>(Sim::FindModelExport(handle, "modlib_get_port_value"));
        set_word = reinterpret_cast<ModlibSetPortValue>(Sim::FindModelExport(handle, "modlib_set_port_value"));
    }
    ~Library() { Sim::CloseModelLibrary(handle); }

    // One rising and falling clock on the named clock.
    void Pulse(ModlibModel model, const char* clock) const
    {
        set(model, clock, MLIB_UINTEGER(1, 1));
        evaluate(model);
        set(model, clock, MLIB_UINTEGER(0, 1));
        evaluate(model);
    }

    void* handle;
    ModlibCreateModel create;
    ModlibModelCall init, destroy, evaluate;
    ModlibAddPortInformation port;
    ModlibAddStringParameter text;
    ModlibGetPortValueAsMlibInt get;
    ModlibSetPortValueByMlibInt set;
    ModlibGetPortValue get_word;
    ModlibSetPortValue set_word;
};

TEST(ModelFramework, EveryLibraryExportsTheElevenFunctions)
{
    for (const char* name : {"modlib_lpm_counter", "modlib_lpm_ram_dp", "modlib_mrvsyncram", "modlib_mrvfifo_s",
                             "modlib_mrvfifo_d", "modlib_lpm_mult", "modlib_lpm_add_sub", "modlib_mrvaccumulate",
                             "modlib_mrvpar_add", "modlib_mrvgray_counter", "modlib_mrvmult_add"}) {
        void* handle = Sim::OpenModelLibrary(std::string(name) + ".dll");
        ASSERT_NE(handle, nullptr) << name;
        for (const char* symbol : kModlibExportNames)
            EXPECT_NE(Sim::FindModelExport(handle, symbol), nullptr) << name << " " << symbol;
        Sim::CloseModelLibrary(handle);
    }
    for (const char* support : {"modlib_stl", "modlib_util", "modlib_xml_parser", "modlib_info", "modlib_int",
                                "modlib_base"}) {
        void* handle = Sim::OpenModelLibrary(std::string(support) + ".dll");
        EXPECT_NE(handle, nullptr) << support;
        Sim::CloseModelLibrary(handle);
    }
}

TEST(ModelFramework, FifoReadRequestReadsZeroUntilSentWhateverTheHostDefault)
{
    Library fifo("modlib_mrvfifo_s.dll");
    ModlibModel model = fifo.create();
    fifo.port(model, "clock", 1, 1);
    fifo.port(model, "data", 0, 8);
    fifo.port(model, "wrreq", 0, 1);
    fifo.port(model, "rdreq", 0, 1);
    fifo.port(model, "q", 1, 8);
    fifo.port(model, "usedw", 1, 3);
    fifo.init(model);
    fifo.set(model, "data", MLIB_UINTEGER(0x42, 8));
    fifo.set(model, "wrreq", MLIB_UINTEGER(1, 1));
    fifo.Pulse(model, "clock");
    fifo.set(model, "wrreq", MLIB_UINTEGER(0, 1));
    fifo.Pulse(model, "clock");
    fifo.Pulse(model, "clock");
    EXPECT_EQ(fifo.get(model, "usedw").to_uint(), 1u);  // never read: rdreq was never sent
    fifo.set_word(model, "rdreq", 1);
    fifo.Pulse(model, "clock");
    unsigned word = 0;
    EXPECT_EQ(fifo.get_word(model, "q", &word), 0);
    EXPECT_EQ(word, 0x42u);
    fifo.destroy(model);
}

TEST(ModelFramework, InstancesOfOneLibraryAreIndependent)
{
    Library counter("modlib_lpm_counter.dll");
    ModlibModel first = counter.create(), second = counter.create();
    for (ModlibModel model : {first, second}) {
        counter.port(model, "clock", 1, 1);
        counter.port(model, "q", 1, 8);
        counter.init(model);
    }
    counter.set(first, "clk_en", MLIB_UINTEGER(1, 1));
    counter.set(first, "cnt_en", MLIB_UINTEGER(1, 1));
    for (int i = 0; i < 3; ++i) {
        counter.Pulse(first, "clock");
        counter.Pulse(second, "clock");  // its enables were never sent: it stays
    }
    EXPECT_EQ(counter.get(first, "q").to_uint(), 3u);
    EXPECT_EQ(counter.get(second, "q").to_uint(), 0u);
    counter.destroy(first);
    counter.destroy(second);
}

TEST(ModelFramework, UnknownPortsAndParametersAreReportedOnceAndHarmless)
{
    clear_messages();
    Library counter("modlib_lpm_counter.dll");
    ModlibModel model = counter.create();
    counter.port(model, "q", 1, 4);
    counter.text(model, "lpm_direction", "SIDEWAYS");
    counter.set(model, "bogus", MLIB_UINTEGER(5, 8));
    counter.set(model, "bogus", MLIB_UINTEGER(6, 8));
    EXPECT_EQ(counter.get(model, "bogus").to_uint(), 6u);
    counter.init(model);
    counter.init(model);
    EXPECT_EQ(TakeMessages(SEV_WARNING),
              (std::vector<std::string>{
                  "lpm_counter model: port 'bogus' is not a port of this model; its values are ignored",
                  "lpm_counter model: parameter lpm_direction = \"SIDEWAYS\" is not supported; the model behaves as "
                  "for \"UNUSED\""}));
    counter.destroy(model);
}

TEST(ModelFramework, CallsWithoutAModelDoNothing)
{
    Library counter("modlib_lpm_counter.dll");
    EXPECT_EQ(counter.evaluate(nullptr), -1);
    EXPECT_EQ(counter.init(nullptr), -1);
    EXPECT_EQ(counter.set(nullptr, "q", MLIB_UINTEGER(1, 1)), -1);
    EXPECT_TRUE(counter.get(nullptr, "q").is_zero());
    EXPECT_EQ(counter.destroy(nullptr), 0);
}

}  // namespace
