// mexFunction of the MEX module mrv_blocktide_mMrvn_Pvo: given a netlist and its XML map it
// imports the design (saving its SimDB file beside the netlist) and returns the design's
// interface as ten values; the wrong number of arguments or results prints the usage.
#include <mex.h>

#include <exception>
#include <string>

#include "sim/design_interface.h"
#include "host/mex/mex_support.h"

namespace {

const char* const USAGE[] = {
    " mrv_blocktide_mMrvn_Pvo\n\n",
    "    Usage [ninput, noutput, nclock, input_port_names, output_port_names, clock_names, top_level_name, "
    "top_clockname, inptbwl, outptbwl] = mrv_blocktide_mMrvn_Pvo('<design>.vo', 'KelvornCMap.xml')\n\n",
    "       ninput            : number of input port\n",
    "       noutput           : number of output port\n",
    "       nclock            : number of clocks (all tied to implicit clock) \n",
    "       input_port_names  : Input port names ['Port 0' ' ' 'Port n']\n",
    "       output_port_names : Output port names ['Port 0' ' ' 'Port n']\n",
    "       clock_names       : Clock names ['Clock 0' ' ' 'Clock n']\n",
    "       top_level_name    : Name of the verilog top level module\n\n",
    "       top_clockname     : Clock name for determining clock domain\n\n",
    "       inptbwl           : Input port bit-widths ['width 0' ' ' 'width n']\n\n",
    "       outptbwl          : Output port bit-widths ['width 0' ' ' 'width n']\n\n",
};

mxArray* Scalar(double value)
{
    mxArray* result = mxCreateDoubleMatrix(1, 1, mxREAL);
    *mxGetPr(result) = value;
    return result;
}

// Hands back the requested results (at least the first) in the documented order.
void ReturnInterface(const DesignInterface& design, int nlhs, mxArray* plhs[])
{
    const int wanted = nlhs < 1 ? 1 : nlhs;
    for (int i = 0; i < wanted; ++i) {
        switch (i) {
        case 0: plhs[i] = Scalar(design.ninput); break;
        case 1: plhs[i] = Scalar(design.noutput); break;
        case 2: plhs[i] = Scalar(design.nclock); break;
        case 3: plhs[i] = mxCreateString(design.input_port_names.c_str()); break;
        case 4: plhs[i] = mxCreateString(design.output_port_names.c_str()); break;
        case 5: plhs[i] = mxCreateString(design.clock_names.c_str()); break;
        case 6: plhs[i] = mxCreateString(design.top_level_name.c_str()); break;
        case 7: plhs[i] = mxCreateString(design.top_clockname.c_str()); break;
        case 8: plhs[i] = mxCreateString(design.inptbwl.c_str()); break;
        case 9: plhs[i] = mxCreateString(design.outptbwl.c_str()); break;
        }
    }
}

// Runs the call; answers the text of an unexpected failure (empty when there was none) so
// that the caller can raise the host error after every object here is gone.
std::string Query(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    MexConsole console;
    if (nrhs != 2 || nlhs > 10) {
        for (const char* piece : USAGE)
            console_print(piece);
        return std::string();
    }
    try {
        const std::string netlist_path = ReadTextArgument(prhs[0]);
        const std::string map_path = ReadTextArgument(prhs[1]);
        bool read = false;
        const DesignInterface design = ImportDesignInterface(netlist_path, map_path, read);
        ReturnInterface(design, nlhs, plhs);
    } catch (const std::exception& failure) {
        return failure.what();  // the host puts the module name in front
    }
    return std::string();
}

}  // namespace

extern "C" void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    static std::string failure;
    failure = Query(nlhs, plhs, nrhs, prhs);
    if (!failure.empty())
        mexErrMsgIdAndTxt("blocktide:import", "%s", failure.c_str());
}
