% BlocktideSim: one simulated design in an Octave script, over the blocktide_sim MEX module.
% The design is closed when the object is cleared or goes out of scope, or by close().
%
%   sim = BlocktideSim('design.vo', 'map.xml');   % imports the design and sets it up
%   sim.write('a', 5); sim.run(1); y = sim.read('y');
%   sim.write_wide('wide', 'ffff0000ffff0000ff'); hex = sim.read_wide('sum');
%   sim.format('sf', 'f', [8 8], [0 4], [8], [4]);   % fixed-point scaling, or sim.format('off')
%
% Ports are named by text or numbered from 1 in the design's order (see sim.info()).
classdef BlocktideSim < handle
  properties (SetAccess = private)
    handle = 0;   % the blocktide_sim handle; 0 once closed
  end

  methods
    function obj = BlocktideSim(netlist, map, hex_directory)
      if nargin < 3
        obj.handle = blocktide_sim('open', netlist, map);
      else
        obj.handle = blocktide_sim('open', netlist, map, hex_directory);
      end
    end

    function delete(obj)
      obj.close();
    end

    function close(obj)
      if obj.handle ~= 0
        blocktide_sim('close', obj.handle);
        obj.handle = 0;
      end
    end

    function result = info(obj)
      result = blocktide_sim('info', obj.handle);
    end

    function format(obj, varargin)
      blocktide_sim('format', obj.handle, varargin{:});
    end

    function write(obj, port, value)
      blocktide_sim('write', obj.handle, port, value);
    end

    function write_wide(obj, port, value)
      blocktide_sim('write_wide', obj.handle, port, value);
    end

    function run(obj, cycles)
      if nargin < 2
        cycles = 1;
      end
      blocktide_sim('run', obj.handle, cycles);
    end

    function value = read(obj, port)
      value = blocktide_sim('read', obj.handle, port);
    end

    function [hex, words] = read_wide(obj, port)
      [hex, words] = blocktide_sim('read_wide', obj.handle, port);
    end
  end
end
