% blocktide_sim: Blocktide simulations from Octave, one function with sub-commands over
% numeric handles. The class BlocktideSim wraps it; see 'help BlocktideSim'.
%
%   h = blocktide_sim('open', netlist[, map[, hex_directory]])
%         imports the netlist with its XML map when its SimDB file (netlist + '.simdb') is
%         missing or older than either, then opens it; without a map the SimDB file must exist
%   info = blocktide_sim('info', h)       ports (ascending name order), widths, clocks, cycle
%   blocktide_sim('write', h, port, value[, undefined_mask])
%         a double is truncated toward zero (NaN writes 0, with a warning); int8..uint64 and
%         logical values are exact; bits above the input's width are cut, with a warning
%   blocktide_sim('write_wide', h, port, value)
%         hexadecimal text ('0x', '_' and 'x' digits for undefined bits allowed) or uint32 or
%         uint64 words, least significant first
%   blocktide_sim('run', h, cycles)
%   [Y, X] = blocktide_sim('step', h, inputs, outputs[, class])
%         inputs: a struct, one field per input holding a value per cycle (numeric vector or
%         cell of hexadecimal texts); per cycle the inputs are written, one cycle runs and the
%         outputs are read. Y: a row per cycle, a column per output (double with NaN where
%         undefined, or 'uint64' / 'int64'); X: the undefined bits, uint64
%   [value, undefined, high_z] = blocktide_sim('read', h, port[, class])
%         a double (NaN when a bit is undefined or the value is high-impedance), or exact as
%         'uint64' / 'int64'; a value a double cannot hold exactly is reported
%   [hex, words, undefined_words] = blocktide_sim('read_wide', h, port)   any width
%   [value, undefined, high_z] = blocktide_sim('peek', h, signal[, class])
%         any signal inside the design by name ('double', 'uint64', 'int64' or 'hex');
%         reading changes nothing and reports nothing
%   names = blocktide_sim('signals', h)   the ports, each node's outputs and, when the design
%         was opened with its map, the netlist's port and wire names
%   blocktide_sim('waveform', h, path[, patterns])   a VCD of the clock, the ports and the
%         signals matching the patterns, from now on; blocktide_sim('waveform', h) ends it
%   blocktide_sim('save', h, path)      a checkpoint of the whole simulation state
%   blocktide_sim('restore', h, path)   restores a checkpoint of the same design; another
%         design's, a damaged, truncated or newer file fails and changes nothing
%   blocktide_sim('format', h, in_format, out_format, in_int_bits, in_frac_bits,
%                 out_int_bits, out_frac_bits)    fixed-point scaling of doubles; 'off' ends it
%   blocktide_sim('close', h)
%   handles = blocktide_sim('handles')    the open simulations
%
% Ports are named by text or numbered from 1. Misuse raises an error with an identifier
% blocktide_sim:*; clearing the module closes every simulation.
