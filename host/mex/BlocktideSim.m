classdef BlocktideSim < handle
  % BlocktideSim: a design simulated by Blocktide, driven from an Octave script.
  %
  %   sim = BlocktideSim('acc.vo', 'map.xml')     import the netlist with its XML map (only
  %                                                when acc.vo.simdb is missing or older than
  %                                                either) and open it
  %   sim = BlocktideSim('acc.vo')                open acc.vo from its simulation database
  %   sim = BlocktideSim('acc.vo', 'map.xml', hex_directory)   memory files are there
  %
  %   sim.write('step', 3)             a double (truncated toward zero), or an exact integer:
  %   sim.write('d', int64(-5))        int8 to uint64 and logical keep every bit
  %   sim.write('d', 5, 0xF0)          with a mask of undefined (X) bits
  %   sim.write_wide('a', 'ffff_0000_0000_0001')   hexadecimal text ('x' digits undefined)
  %                                                or uint32/uint64 words of any width
  %   sim.run(10)                      clock cycles: a clock edge, then settling, each
  %   y = sim.read('level')            a double: NaN when a bit is undefined
  %   [q, x] = sim.read('q', 'uint64') the exact value and its undefined bits ('int64' too)
  %   [hex, words, xwords] = sim.read_wide('sum')   any width
  %   v = sim.peek('u_acc.q')          any signal inside the design, by name (also 'hex');
  %   names = sim.signals()            reading changes nothing; netlist names need the map
  %   sim.waveform('run.vcd', {'u_*'}) a VCD of the clock, the ports and matching signals
  %   sim.waveform()                   ends it
  %   [Y, X] = sim.step(U, {'level'})  many cycles in one call: U.step holds a value per
  %                                    cycle; Y a row per cycle, X the undefined bits
  %   sim.format('sf', 'f', [8 8], [0 4], 8, 4)   fixed-point scaling of doubles ('off' ends it)
  %   sim.save('run.state')            a checkpoint of the whole state; sim.restore('run.state')
  %                                    in a simulation of the same design continues from it
  %   sim.info(), sim.inputs(), sim.outputs(), disp(sim)
  %   sim.close()                      also when the object is cleared
  %
  % Ports are named by text or numbered from 1 in ascending name order (see sim.inputs()).
  % A value too wide for its input is cut to the width with a warning; the simulator's
  % messages (undefined outputs, for example) are printed as they come.
  %
  % See also: blocktide_sim, mrv_blocktide_mMrvn_Pvo.

  properties (SetAccess = private)
    handle = 0;   % the blocktide_sim handle; 0 once closed
  end

  methods
    function obj = BlocktideSim(netlist, map, hex_directory)
      % sim = BlocktideSim(netlist[, map[, hex_directory]]): import when needed, then open.
      if nargin < 1 || nargin > 3
        error('BlocktideSim:usage', 'usage: sim = BlocktideSim(netlist[, map[, hex_directory]])');
      end
      if nargin == 1
        obj.handle = blocktide_sim('open', netlist);
      elseif nargin == 2
        obj.handle = blocktide_sim('open', netlist, map);
      else
        obj.handle = blocktide_sim('open', netlist, map, hex_directory);
      end
    end

    function delete(obj)
      % Closes the simulation when the object goes.
      obj.close();
    end

    function close(obj)
      % sim.close(): ends the simulation; the object is unusable afterwards.
      if obj.handle ~= 0
        blocktide_sim('close', obj.handle);
        obj.handle = 0;
      end
    end

    function result = info(obj)
      % info = sim.info(): top_level_name, inputs, input_widths, outputs, output_widths,
      % clocks (as the import found them), feed_through (per input: reaches an output
      % without a register) and cycle.
      result = blocktide_sim('info', obj.handle);
    end

    function names = inputs(obj)
      % names = sim.inputs(): the inputs' names in port-number order.
      names = obj.info().inputs;
    end

    function names = outputs(obj)
      % names = sim.outputs(): the outputs' names in port-number order.
      names = obj.info().outputs;
    end

    function disp(obj)
      % disp(sim): the design's name, its ports with their widths, and the cycle.
      if obj.handle == 0
        printf('  BlocktideSim (closed)\n');
        return;
      end
      d = obj.info();
      describe = @(names, widths) strjoin(cellfun(@(n, w) sprintf('%s[%d]', n, w), names, ...
                                                  num2cell(widths), 'UniformOutput', false), ' ');
      printf('  BlocktideSim %s at cycle %d\n    inputs:  %s\n    outputs: %s\n', d.top_level_name, ...
             d.cycle, describe(d.inputs, d.input_widths), describe(d.outputs, d.output_widths));
    end

    function format(obj, varargin)
      % sim.format(in_format, out_format, in_int_bits, in_frac_bits, out_int_bits,
      % out_frac_bits): scales the doubles written and read ('f' letters: fixed point);
      % sim.format('off') ends the scaling.
      blocktide_sim('format', obj.handle, varargin{:});
    end

    function write(obj, port, value, undefined_mask)
      % sim.write(port, value[, undefined_mask]): a double or an integer into an input.
      if nargin < 3 || nargin > 4
        error('BlocktideSim:usage', 'usage: sim.write(port, value[, undefined_mask])');
      end
      if nargin == 3
        blocktide_sim('write', obj.handle, port, value);
      else
        blocktide_sim('write', obj.handle, port, value, undefined_mask);
      end
    end

    function write_wide(obj, port, value)
      % sim.write_wide(port, value): hexadecimal text or uint32/uint64 words, least
      % significant first, of any width.
      if nargin ~= 3
        error('BlocktideSim:usage', 'usage: sim.write_wide(port, hex_text_or_words)');
      end
      blocktide_sim('write_wide', obj.handle, port, value);
    end

    function run(obj, cycles)
      % sim.run([cycles]): runs clock cycles (one by default).
      if nargin < 2
        cycles = 1;
      end
      blocktide_sim('run', obj.handle, cycles);
    end

    function [values, undefined] = step(obj, inputs, outputs, class_name)
      % [Y, X] = sim.step(U, outputs[, class]): for each cycle, writes every field of U
      % (a value per cycle: a numeric vector, or a cell of hexadecimal texts), runs one
      % cycle and reads the outputs (a name or a cell of names). Y has a row per cycle and a
      % column per output: doubles with NaN where undefined, or class 'uint64' / 'int64'
      % for exact values; X holds the undefined bits as uint64.
      if nargin < 3 || nargin > 4
        error('BlocktideSim:usage', 'usage: [Y, X] = sim.step(inputs, outputs[, class])');
      end
      if nargin == 3
        [values, undefined] = blocktide_sim('step', obj.handle, inputs, outputs);
      else
        [values, undefined] = blocktide_sim('step', obj.handle, inputs, outputs, class_name);
      end
    end

    function [value, undefined, high_z] = read(obj, port, class_name)
      % [value, undefined] = sim.read(port[, class]): a double (NaN when undefined), or the
      % exact value as 'uint64' or 'int64' with its undefined bits (and, third, its Z flag).
      if nargin < 2 || nargin > 3
        error('BlocktideSim:usage', 'usage: [value, undefined] = sim.read(port[, class])');
      end
      if nargin == 2
        [value, undefined] = blocktide_sim('read', obj.handle, port);
        high_z = false;
      else
        [value, undefined, high_z] = blocktide_sim('read', obj.handle, port, class_name);
      end
    end

    function [value, undefined, high_z] = peek(obj, signal, class_name)
      % [value, undefined] = sim.peek(signal[, class]): any signal inside the design by
      % name (see sim.signals()): a double (NaN when undefined), 'uint64', 'int64' or 'hex'.
      % Reading changes nothing in the simulation and reports nothing.
      if nargin < 2 || nargin > 3
        error('BlocktideSim:usage', 'usage: [value, undefined] = sim.peek(signal[, class])');
      end
      if nargin == 2
        [value, undefined, high_z] = blocktide_sim('peek', obj.handle, signal);
      else
        [value, undefined, high_z] = blocktide_sim('peek', obj.handle, signal, class_name);
      end
    end

    function names = signals(obj)
      % names = sim.signals(): every signal sim.peek reads: the ports, each node's outputs
      % ('u_acc.dataout', and with the map 'u_acc.q') and the netlist's wires (with the map).
      names = blocktide_sim('signals', obj.handle);
    end

    function waveform(obj, path, patterns)
      % sim.waveform(path[, patterns]): from now on writes a VCD of the clock, the design's
      % inputs and outputs and the signals matching the patterns ('*' all, a cell for
      % several), ten time units per cycle. sim.waveform() ends it.
      if nargin == 1
        blocktide_sim('waveform', obj.handle);
      elseif nargin == 2
        blocktide_sim('waveform', obj.handle, path);
      else
        blocktide_sim('waveform', obj.handle, path, patterns);
      end
    end

    function save(obj, path)
      % sim.save(path): saves a checkpoint, the whole state of the simulation, which
      % sim.restore(path) in a simulation of the same design continues from exactly (in this
      % session or another). Fails, writing nothing, when a model block cannot save its state.
      if nargin ~= 2
        error('BlocktideSim:usage', 'usage: sim.save(path)');
      end
      blocktide_sim('save', obj.handle, path);
    end

    function restore(obj, path)
      % sim.restore(path): restores a checkpoint saved from the same design. A checkpoint of
      % another design or library version, or a damaged, truncated or newer file, fails and
      % leaves the simulation as it was.
      if nargin ~= 2
        error('BlocktideSim:usage', 'usage: sim.restore(path)');
      end
      blocktide_sim('restore', obj.handle, path);
    end

    function [hex, words, undefined_words] = read_wide(obj, port)
      % [hex, words, undefined_words] = sim.read_wide(port): any width, as hexadecimal
      % text ('x' for digits with undefined bits) and uint32 words, least significant first.
      if nargin ~= 2
        error('BlocktideSim:usage', 'usage: [hex, words, undefined_words] = sim.read_wide(port)');
      end
      [hex, words, undefined_words] = blocktide_sim('read_wide', obj.handle, port);
    end
  end
end
