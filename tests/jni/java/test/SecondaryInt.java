package test;

/** A single-instance application whose secondaryMain returns the argument count + 100. */
public class SecondaryInt {
  public static void main(String[] args) {
    System.out.println("primary started");
  }

  public static int secondaryMain(String[] args) {
    StringBuilder line = new StringBuilder("secondaryMain");
    for (String arg : args) line.append(' ').append(arg);
    System.out.println(line);
    return args.length + 100;
  }
}
