% mrv_blocktide_mMrvn_Pvo: imports a design and returns its interface as ten values.
%
%   [ninput, noutput, nclock, input_port_names, output_port_names, clock_names, ...
%    top_level_name, top_clockname, inptbwl, outptbwl] = mrv_blocktide_mMrvn_Pvo('<design>.vo', 'map.xml')
%
% Reads the netlist with its XML map and writes the design's simulation database beside the
% netlist ('<design>.vo.simdb'). The names and widths come back as text, each followed by
% one blank, in the netlist's declaration order; clock inputs are counted as clocks, not as
% inputs. A design that cannot be read gives 0, 0, 0, ' ', ' ' and five empty texts, after
% the messages that say why. Wrong argument counts print the usage.
%
% See also: BlocktideSim, blocktide_sim.
